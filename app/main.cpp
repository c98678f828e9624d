#include "app/Application.h"
#include "app/Forms.h"

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    Forms::start();
    const int rc = app.exec();
    Forms::destroyAll();
    return rc;
}
