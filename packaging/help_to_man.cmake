# Writes a short manual page (gzipped roff) from a program's --help text, so that the page
# always says what the program itself says.
#
#   cmake -DPROGRAM=path -DNAME=Ostrino_3p11 -DSUMMARY="..." -DVERSION=3.11.0
#         -DNOTES_FILE=notes.roff -DOUT=Ostrino_3p11.1.gz -P help_to_man.cmake

set(ENV{ASAN_OPTIONS} "detect_leaks=0")  # a sanitizer build runs it too
execute_process(COMMAND "${PROGRAM}" --help
                OUTPUT_VARIABLE help
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR help STREQUAL "")
  message(FATAL_ERROR "${PROGRAM} --help failed (${rc})")
endif()

# roff: a backslash is written \e, a hyphen \-, and a line must not start with . or '.
string(REPLACE "\\" "\\e" help "${help}")
string(REPLACE "-" "\\-" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
string(REPLACE "-" "\\-" name_escaped "${NAME}")
string(TOUPPER "${NAME}" title)

set(notes "")
if(NOTES_FILE)
  file(READ "${NOTES_FILE}" notes)
endif()

file(WRITE "${OUT}.tmp"
".TH ${title} 1 \"\" \"Ostrino ${VERSION}\" \"User Commands\"
.SH NAME
${name_escaped} \\- ${SUMMARY}
.SH SYNOPSIS
.B ${name_escaped}
[\\fIoptions\\fR]
.SH DESCRIPTION
.nf
${help}.fi
${notes}")
file(ARCHIVE_CREATE OUTPUT "${OUT}" PATHS "${OUT}.tmp" FORMAT raw COMPRESSION GZip)
file(REMOVE "${OUT}.tmp")
