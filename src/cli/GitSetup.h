#pragma once
// stagetool git-setup: a git repository made ready to diff and merge stage
// files as stages (textconv and the merge driver), as git's own manual
// describes attributes and drivers.

#include <filesystem>
#include <iosfwd>
#include <string>

// The line the top .gitattributes gains: every stage file, in any letter
// case (git matches patterns case-sensitively), as stages.
inline constexpr char StageAttributes[] = "[Ss][Tt][Aa][Gg][Ee].[Dd][Aa][Tt] -text diff=stagetool merge=stagetool";

// `text` quoted for the shell, as git runs drivers and textconv: 'it''s'.
std::string ShellQuoted(const std::string& text);

// Sets up the repository whose working tree holds `dir` for `program` (an
// absolute path): the attributes line added once, and the repository's own
// diff.stagetool.* and merge.stagetool.* settings, each set or updated
// only when it differs (said on `out`). A program no stagetool on PATH
// leads to is warned about on `err`. Raises TToolError when git is missing
// or fails, or `dir` is in no working tree.
void SetUpGit(const std::filesystem::path& dir, const std::filesystem::path& program, std::ostream& out,
              std::ostream& err);
