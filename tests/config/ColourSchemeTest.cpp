// The colours that follow the desktop: readable on their background in both
// schemes, and never over a colour the user set or with the option off.
#include <gtest/gtest.h>

#include <cmath>

#include "config/IniStore.h"
#include "config/Settings.h"
#include "support/HeadlessHost.h"
#include "support/TempDir.h"

namespace zorl {
namespace {

// WCAG 2 relative luminance of a stored colour (red + 256 green + 65536 blue).
double Luminance(Colour colour) {
    double sum = 0;
    const double weights[] = {0.2126, 0.7152, 0.0722};
    for (int channel = 0; channel < 3; ++channel) {
        const double c = ((colour >> (8 * channel)) & 0xFF) / 255.0;
        sum += weights[channel] * (c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
    }
    return sum;
}

double Contrast(Colour a, Colour b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

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
                EXPECT_GE(Contrast(settings.Color.*colour.field, background), 4.5) << colour.key;
    }

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
