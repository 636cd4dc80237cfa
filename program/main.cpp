// tarnwick-uploader: the program's entry point. It picks a front end and hands over to
// the application object, whose receiver and settings were set up before main.
#include <cstdio>
#include <string>

#include "COMLINK/LibraryReport.h"
#include "app/Globals.h"
#include "app/LibraryErrorBox.h"
#include "drivers/UploadDriverFactory.h"
#include "program/FrontEnd.h"
#include "program/ImageCheckCommand.h"
#include "program/OneShotOptions.h"
#include "program/OneShotUpload.h"
#include "program/PortList.h"
#include "program/ProgramConsole.h"
#include "program/ProgramOptions.h"
#include "ui/FrameWindow.h"
#include "ui/Runtime.h"

namespace {

// upload, identify and check: one job, then an exit status.
int RunOneShot(int argc, char** argv) {
    OneShotOptions options = OneShotOptions::Parse(argc, argv);
    if (!options.error.empty()) {
        std::fprintf(stderr, "tarnwick-uploader: %s\n%s", options.error.c_str(),
                     ProgramOptions::Usage());
        return 2;
    }
    if (options.command == OneShotOptions::Command::Check)
        return ImageCheckCommand::Run(options);
    theApp.upload.driverFactory = [](int family) { return CreateUploadDriver(family, theApp); };
    OneShotUpload command(theApp, options);
    return options.command == OneShotOptions::Command::Upload ? command.Upload()
                                                              : command.Identify();
}

}  // namespace

int main(int argc, char** argv) {
    SetLibraryReportSink(ShowLibraryError);
    ProgramOptions options = ProgramOptions::Parse(argc, argv);
    if (options.action != ProgramOptions::Action::Run)
        ProgramConsole::Ensure(false);
    switch (options.action) {
        case ProgramOptions::Action::Help:
            std::fputs(ProgramOptions::Usage(), stdout);
            return 0;
        case ProgramOptions::Action::Version:
            std::puts("tarnwick-uploader " TARNWICK_VERSION);
            return 0;
        case ProgramOptions::Action::ListPorts:
            for (const std::string& line : PortList::Lines())
                std::puts(line.c_str());
            return 0;
        case ProgramOptions::Action::Error:
            std::fprintf(stderr, "tarnwick-uploader: %s\n%s", options.error.c_str(),
                         ProgramOptions::Usage());
            return 2;
        case ProgramOptions::Action::OneShot:
            return RunOneShot(argc, argv);
        case ProgramOptions::Action::Run:
            break;
    }

    std::string error;
    std::unique_ptr<ui::Backend> backend = FrontEnd::Choose(options.frontEnd, argc, argv, error);
    if (backend == nullptr) {
        ProgramConsole::Ensure(false);
        std::fprintf(stderr, "tarnwick-uploader: %s\n", error.c_str());
        return 1;
    }
    ui::Runtime::Get().SetBackend(backend.get());
    theApp.upload.driverFactory = [](int family) { return CreateUploadDriver(family, theApp); };
    theApp.InitInstance();
    int code = theApp.Run();
    // The main window goes while its front end is still there to see it go.
    if (theApp.mainWindow != nullptr)
        theApp.mainWindow->Destroy();
    ui::Runtime::Get().SetBackend(nullptr);
    return code;
}
