#include "app/GeneratorApp.h"
#include "platform/os/CommandLine.h"

int main(int argc, char** argv) {
    platform::SetCommandLine(argc, argv);
    GeneratorApp app;
    app.InitInstance();
    return app.ExitStatus();
}
