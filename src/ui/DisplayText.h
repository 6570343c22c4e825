#pragma once
// How the windows show what the editor names: stage numbers, captions, file
// names and folders, in the messages, titles and status lines.

#include "stage/StageRecord.h"

#include <QString>

#include <filesystem>

// A stage number: "07".
QString NumberText(int number);
// "1 cell", "3 cells": a count of `thing` (a word whose plural takes "s").
QString Counted(int count, const QString& thing);
// `text` ended as a sentence: a full stop added unless it ends with one (or
// with "?" or "!"), so that a reason from elsewhere reads once ended.
QString Sentence(const QString& text);
// A stage's caption as the title shows it (each byte one character).
QString CaptionText(const TShortString& caption);
// The name a question gives a file: its last part ("Stage.Dat").
QString FileNameText(const std::filesystem::path& file);
// A file or folder as the windows name it: its whole path, without "." or "..".
QString PathText(const std::filesystem::path& path);
