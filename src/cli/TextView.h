#pragma once
// stagetool textconv: a stage file as stable text, for git's diff and log.
// Every byte of every whole record shows in it, so no change is invisible;
// a file that is damaged, cut short, too long or no stage file at all
// still gives what can be read and a line saying what is wrong.

#include "stage/StageRecord.h"

#include <string>

// One stage: "[Stage07] "caption"", the settings as the text map writes
// them (texts quoted), what the text map leaves out when it is not zero
// (slots 16..31, reserved blocks, bytes past a text's length, codes a row
// cannot hold), and the 60 rows as the text map writes them. An empty
// stage is its header line alone: "[Stage05] empty". Lines end in LF.
std::string StageTextView(int number, const StageRecord& record);

// The whole file `name` (a path, or "-" for standard input); the file's
// name never enters the text, which git reads from temporary files.
std::string StageFileTextView(const std::string& name);
