#include "app/Application.h"
#include "app/Forms.h"
#include "app/Password.h"

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    Forms::createAll();
    Forms::password()->show();
    const int rc = app.exec();
    Forms::destroyAll();
    return rc;
}
