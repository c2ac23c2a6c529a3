# Layers that the build enforces.
#
# Every header is included by its path from the root of the tree ("link/command_strings.h").
# There is no include folder for the whole tree: each target gets one of its own in the build
# tree, which holds links to the headers of its own source folders (each folder alone, not the
# folders below it: platform/ does not bring platform/qt/). The folders of the layers it may
# use come with the targets it links, PUBLIC, so they reach only the targets above. A header
# of a higher layer, or of a layer that the target does not use, is not found: the include
# fails to build.
#
#   ostrino_layer(TARGET
#                 [FOLDERS folder | include-path=source-folder ...]
#                 [USES target ...]          # its public headers may include these
#                 [PRIVATE_USES target ...]) # only its sources may
#
# A folder is given from the root of the tree; "library=library/include/library" shows the
# headers of library/include/library/ as "library/...". Run again on every configure, so a
# header added to a folder is found once CMake has run (the globs tell the build to rerun it).
function(ostrino_layer target)
  cmake_parse_arguments(PARSE_ARGV 1 L "" "" "FOLDERS;USES;PRIVATE_USES")
  set(root "${PROJECT_BINARY_DIR}/layers/${target}")
  file(REMOVE_RECURSE "${root}")
  file(MAKE_DIRECTORY "${root}")
  foreach(folder IN LISTS L_FOLDERS)
    if(folder MATCHES "^([^=]+)=(.+)$")
      set(shown "${CMAKE_MATCH_1}")
      set(source "${CMAKE_MATCH_2}")
    else()
      set(shown "${folder}")
      set(source "${folder}")
    endif()
    if(NOT IS_DIRECTORY "${PROJECT_SOURCE_DIR}/${source}")
      message(FATAL_ERROR "ostrino_layer(${target}): no folder ${source}")
    endif()
    file(GLOB headers CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/${source}/*.h")
    file(MAKE_DIRECTORY "${root}/${shown}")
    foreach(header IN LISTS headers)
      get_filename_component(name "${header}" NAME)
      file(CREATE_LINK "${header}" "${root}/${shown}/${name}" SYMBOLIC)
    endforeach()
  endforeach()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    target_include_directories(${target} PRIVATE "${root}")
  elseif(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE "${root}")
  else()
    target_include_directories(${target} PUBLIC "${root}")
  endif()
  if(L_USES AND type STREQUAL "INTERFACE_LIBRARY")
    target_link_libraries(${target} INTERFACE ${L_USES})
  elseif(L_USES)
    target_link_libraries(${target} PUBLIC ${L_USES})
  endif()
  if(L_PRIVATE_USES)
    target_link_libraries(${target} PRIVATE ${L_PRIVATE_USES})
  endif()
endfunction()

# A test program: the headers of its own test folder (the rig of its layer) besides those of
# tests/support and of the libraries it links.
function(ostrino_test_folders target)
  ostrino_layer(${target} FOLDERS ${ARGN})
endfunction()
