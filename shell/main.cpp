#include "shell/Application.h"
#include "shell/Forms.h"

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    Forms::start();
    const int rc = app.exec();
    Forms::destroyAll();
    return rc;
}
