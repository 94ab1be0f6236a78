// The colours that follow the desktop: readable on their background in both
// schemes, nick colours too, and never over a colour the user set or with
// the option off.
#include <gtest/gtest.h>

#include "common/Speakers.h"
#include "config/IniStore.h"
#include "config/Settings.h"
#include "support/HeadlessHost.h"
#include "support/TempDir.h"

namespace zorl {
namespace {

TEST(ColourSchemeTest, BothSchemesReadWellAndTheUsersColoursWin) {
    test::TempDir dir{"zorl-scheme"};
    test::PresetDialogs dialogs;
    CIniStore ini{dialogs};
    ini.SetDirectory(dir.Path().string() + "/");
    for (bool dark : {false, true}) {
        SCOPED_TRACE(dark ? "dark" : "light");
        CSettings settings;
        settings.FollowDesktop = 1;
        settings.FollowColourScheme(ini, dark);
        EXPECT_EQ(Luminance(settings.BGColor) < 0.2, dark);
        for (const ColourKey& colour : ColourKeys())
            for (Colour background : {settings.BGColor, settings.BGColor2})
                EXPECT_GE(ContrastRatio(settings.Color.*colour.field, background), 4.5)
                    << colour.key;
        // So do the conversation view's nick colours.
        for (Colour nick : NickPalette(settings.BGColor))
            for (Colour background : {settings.BGColor, settings.BGColor2})
                EXPECT_GE(ContrastRatio(nick, background), 4.5) << std::hex << nick;
    }
    // Formatting-code colours are made readable on either background; a
    // readable one stays as it is.
    ColourTables tables;
    tables.Build();
    for (Colour background : {Colour{0xFFFFFF}, Colour{0x1E1E1E}})
        for (const auto& [code, colour] : tables.irc)
            EXPECT_GE(ContrastRatio(ReadableOn(colour, background), background), 4.5) << code;
    EXPECT_EQ(ReadableOn(0x000080, 0xFFFFFF), 0x000080u);
    // A nick keeps its colour, whatever its letter case.
    EXPECT_EQ(NickColour("Alice", 0xFFFFFF), NickColour("alice", 0xFFFFFF));

    ini.WriteInt("COLOR", "Own", 255);
    CSettings settings;
    settings.Load(ini);
    settings.FollowDesktop = 1;
    settings.FollowColourScheme(ini, true);
    EXPECT_EQ(settings.Color.Own, 255u);  // set by the user
    EXPECT_NE(settings.Color.Normal, CSettings{}.Color.Normal);

    CSettings fixed;  // an existing folder: the option is off
    fixed.FollowColourScheme(ini, true);
    EXPECT_EQ(fixed.Color, CSettings{}.Color);
    EXPECT_EQ(fixed.BGColor, CSettings{}.BGColor);
}

}  // namespace
}  // namespace zorl
