#pragma once
// The console without a window, for the command-line runs: the program's composition with
// messages on standard error and no beep, the main window's logic, its graph settings and its
// setup files, wired as the window wires them.

#include "app/ostrino3/command_line.h"
#include "app/ostrino3/console_app.h"
#include "measure/console_views.h"
#include "measure/form1_logic.h"
#include "measure/form1_setup.h"
#include "platform/qt/qt_clock.h"
#include "plot/graph_settings.h"

namespace ostrino {

class SilentBeeper : public Beeper {
  public:
    void beep(int, int) override {}
};

struct HeadlessConsole {
    explicit HeadlessConsole(const CommandLine& cl)
        : app(cl, clock, dialogs, beeper),
          state(*app.state),
          logic(state, app.com, app.link, clock, dialogs, beeper),
          graph(graphSources(state), logic.model, dialogs),
          setup(state, logic, dialogs) {
        logic.hooks.UpdateGraphFields = [this] { graph.UpdateGraphFields(); };
        logic.hooks.ReadGraphFields = [this] { graph.ReadGraphFields(); };
        logic.hooks.CheckGraphFields = [this] { graph.CheckGraphFields(); };
        logic.hooks.CorrectGraphFault = [this] { return graph.correctFirstGraphFault(); };
    }
    HeadlessConsole(const HeadlessConsole&) = delete;
    HeadlessConsole& operator=(const HeadlessConsole&) = delete;

    QtClock clock;
    HeadlessDialogs dialogs;
    SilentBeeper beeper;
    ConsoleApp app;
    ConsoleState& state;
    Form1Logic logic;
    GraphSettingsLogic graph;
    SetupFile setup;
};

}  // namespace ostrino
