#pragma once
// The main window's display parts: the display, the image list with the
// embedded "Flag" and "Back" pictures and the frame timer.

class TApplicationHooks;
class TMainForm;

// Creates DXDraw (no window yet: the main window gives it one), DXImageList,
// DXTimer (idling on `application`, default the program's) and hooks them to
// the form's handlers; builds the colour table and hands it to the display.
// The sprite engine must exist already.
void CreateDisplayComponents(TMainForm& form, TApplicationHooks* application = nullptr);
