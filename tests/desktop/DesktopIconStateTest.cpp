#include "desktop/DesktopIconState.h"

#include <QStringList>

#include <gtest/gtest.h>

using orvane::desktop::TDesktopIconState;

namespace {

// Xfce's icon style: "0" none, "1" minimised windows, "2" files; "" unreadable.
class StyleSetting : public orvane::platform::DesktopIcons {
public:
    explicit StyleSetting(QString value) : value(std::move(value)) {}
    QString value;
    QStringList writes;
    bool HasSetting() const override { return true; }
    QString ReadSetting() override { return value; }
    void WriteSetting(const QString& v) override
    {
        writes << v;
        value = v;
    }
    QString HiddenValue() const override { return QStringLiteral("0"); }
    QString ShownValue() const override { return QStringLiteral("2"); }
};

struct Case {
    const char* before;  // the user's setting at start
    const char* actions; // h = Hide Icons, s = Show Icons, x = shut-down
    QStringList writes;  // what reaches the desktop, in order
};

} // namespace

TEST(DesktopIconState, GivesBackWhatTheUserHad)
{
    const Case cases[] = {
        {"1", "hs", {"0", "1"}},        // the user's own style survives hide and show
        {"2", "hx", {"0", "2"}},        // shut-down after a hide restores
        {"0", "x", {}},                 // icons kept off, never hidden: untouched
        {"1", "x", {}},                 // never hidden: the shut-down writes nothing
        {"1", "s", {}},                 // already shown: "Show Icons" leaves the style
        {"0", "s", {"2"}},              // off: "Show Icons" switches them on
        {"0", "hs", {"0", "2"}},        // hidden twice over, then shown on request
        {"0", "hx", {"0", "0"}},        // shut-down gives back the user's "off"
        {"1", "hhsx", {"0", "0", "1"}}, // the second hide does not forget the style
        {"", "hx", {"0", "2"}},         // unreadable before: back to the usual shown value
        {"1", "hsx", {"0", "1"}},       // shown again by hand: nothing left to restore
    };
    for (const Case& c : cases) {
        StyleSetting setting{QString::fromLatin1(c.before)};
        TDesktopIconState state(setting);
        for (const char* a = c.actions; *a; ++a) {
            if (*a == 'h')
                state.Hide();
            else if (*a == 's')
                state.Show();
            else
                state.Restore();
        }
        EXPECT_EQ(setting.writes, c.writes) << "before " << c.before << ", actions " << c.actions;
    }
}
