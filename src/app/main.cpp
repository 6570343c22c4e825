#include "app/EditorApplication.h"
#include "ui/ErrorReport.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::puts(
            "usage: stage-editor [FOLDER | STAGE-FILE]\n"
            "Edits the stages of the stage file Stage.Dat in FOLDER, in the folder of STAGE-FILE,\n"
            "or in the current folder.");
        return 0;
    }
    TEditorApplication application(argc, argv);
    const TGameFolder game = GameFolderOf(application);
    if (game.Refused) {
        std::fprintf(stderr, "stage-editor: %s\n", game.Error.c_str());
        ShowErrorReport(QString::fromLocal8Bit(game.Error.c_str()));
        return 2;
    }
    return RunEditor(application, game);
}
