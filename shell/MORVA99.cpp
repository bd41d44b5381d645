#include "platform/Application.h"
#include "shell/Startup.h"

int main(int argc, char *argv[])
{
    morva::MorvaApplication app(argc, argv);
    morva::shell::startUp();
    const int result = app.exec();
    morva::shell::tearDown();
    return result;
}
