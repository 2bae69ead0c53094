#include "app/window_palette.h"

namespace {

struct RoleColours {
    QPalette::ColorRole role;
    QRgb active, disabled, inactive;
};

constexpr RoleColours kColours[] = {
    {QPalette::WindowText, 0xff000000, 0xffbebebe, 0xff000000},
    {QPalette::Button, 0xffefefef, 0xffefefef, 0xffefefef},
    {QPalette::Light, 0xffffffff, 0xffffffff, 0xffffffff},
    {QPalette::Midlight, 0xffcacaca, 0xffcacaca, 0xffcacaca},
    {QPalette::Dark, 0xff9f9f9f, 0xffbebebe, 0xff9f9f9f},
    {QPalette::Mid, 0xffb8b8b8, 0xffb8b8b8, 0xffb8b8b8},
    {QPalette::Text, 0xff000000, 0xffbebebe, 0xff000000},
    {QPalette::BrightText, 0xffffffff, 0xffffffff, 0xffffffff},
    {QPalette::ButtonText, 0xff000000, 0xffbebebe, 0xff000000},
    {QPalette::Base, 0xffffffff, 0xffefefef, 0xffffffff},
    {QPalette::Window, 0xffefefef, 0xffefefef, 0xffefefef},
    {QPalette::Shadow, 0xff767676, 0xffb1b1b1, 0xff767676},
    {QPalette::Highlight, 0xff308cc6, 0xff919191, 0xff308cc6},
    {QPalette::HighlightedText, 0xffffffff, 0xffffffff, 0xffffffff},
    {QPalette::Link, 0xff0000ff, 0xff0000ff, 0xff0000ff},
    {QPalette::LinkVisited, 0xffff00ff, 0xffff00ff, 0xffff00ff},
    {QPalette::AlternateBase, 0xfff7f7f7, 0xfff7f7f7, 0xfff7f7f7},
    {QPalette::NoRole, 0xff000000, 0xff000000, 0xff000000},
    {QPalette::ToolTipBase, 0xffffffdc, 0xffffffdc, 0xffffffdc},
    {QPalette::ToolTipText, 0xff000000, 0xff000000, 0xff000000},
    {QPalette::PlaceholderText, 0x80000000, 0x80000000, 0x80000000},
};
static_assert(std::size(kColours) == QPalette::NColorRoles, "every role has its colours");

}  // namespace

QPalette windowPalette() {
    QPalette palette;
    for (const RoleColours& c : kColours) {
        palette.setColor(QPalette::Active, c.role, QColor::fromRgba(c.active));
        palette.setColor(QPalette::Disabled, c.role, QColor::fromRgba(c.disabled));
        palette.setColor(QPalette::Inactive, c.role, QColor::fromRgba(c.inactive));
    }
    return palette;
}
