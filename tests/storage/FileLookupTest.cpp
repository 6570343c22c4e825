// The display's picture lookup: what it finds, and what it will not load.
#include "storage/FileLookup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

TEST(LookUpPicture, FindsWhatTheDisplayLoads)
{
    const fs::path folder = fs::path(testing::TempDir()) / "lookup-picture";
    fs::remove_all(folder);
    fs::create_directories(folder / "Map" / "Sub");
    fs::create_directories(folder / "Map" / "dir.bmp");
    for (const char* name : {"a.bmp", "B.JPG", "c.Jpeg", "d.png", "Sub/e.bmp", "twin.bmp", "TWIN.bmp", "noext"})
        std::ofstream(folder / "Map" / name) << "x";
    fs::create_symlink("a.bmp", folder / "Map" / "link.bmp");
    fs::create_symlink("gone.bmp", folder / "Map" / "dangling.bmp");

    using O = TPictureLookup::TOutcome;
    struct Case {
        const char* Name;
        O Outcome;
        TPictureFormat Format;
    };
    const Case cases[] = {
        {"a.bmp", O::Found, TPictureFormat::Bmp},
        {"A.BMP", O::Found, TPictureFormat::Bmp},
        {"b.jpg", O::Found, TPictureFormat::Jpeg},
        {"c.jpeg", O::Found, TPictureFormat::Jpeg},
        {"sub\\E.bmp", O::Found, TPictureFormat::Bmp},
        {"link.bmp", O::Found, TPictureFormat::Bmp},
        {"twin.bmp", O::Found, TPictureFormat::Bmp},     // written exactly: that one
        {"Twin.bmp", O::NotFound, TPictureFormat::Bmp},  // two match ignoring case: neither
        {"missing.bmp", O::NotFound, TPictureFormat::Bmp},
        {"dangling.bmp", O::NotAFile, TPictureFormat::Bmp},  // a link to nothing
        {"dir.bmp", O::NotAFile, TPictureFormat::Bmp},
        {"", O::NotAFile, TPictureFormat::Bmp},
        {"d.png", O::OtherExtension, TPictureFormat::Bmp},
        {"noext", O::OtherExtension, TPictureFormat::Bmp},
    };
    for (const Case& c : cases) {
        const TPictureLookup found = LookUpPicture(folder, c.Name);
        EXPECT_EQ(found.Outcome, c.Outcome) << c.Name;
        if (c.Outcome == O::Found) {
            EXPECT_EQ(found.Format, c.Format) << c.Name;
        }
    }
    fs::remove_all(folder);
}
