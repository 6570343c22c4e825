#include "app/EditorApplication.h"

int main(int argc, char** argv)
{
    TEditorApplication application(argc, argv);
    return RunEditor(application);
}
