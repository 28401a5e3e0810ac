// Names handed over by desktops: plain paths stay, file:// URIs of this machine are decoded to
// the bytes of the name, whatever those bytes are.
#include "document/fileuri.h"

#include <gtest/gtest.h>

using namespace trevok;

TEST(FileUri, DesktopArgumentsBecomeLocalBytes)
{
    const struct {
        std::string argument;
        std::string path;
    } cases[] = {
        {"/home/anna/board.lay", "/home/anna/board.lay"},
        {"relative/board 1.lay", "relative/board 1.lay"},
        {"file:///home/anna/my%20board.lay", "/home/anna/my board.lay"},
        {"FILE://localhost/tmp/a.lay", "/tmp/a.lay"},
        {"file:/tmp/a.lay", "/tmp/a.lay"},
        {"file:///tmp/Pl%C3%A4ne.lay", "/tmp/Pl\xC3\xA4ne.lay"},
        {"file:///tmp/Pl%e4ne.lay", "/tmp/Pl\xE4ne.lay"}, // Latin-1 byte, not UTF-8
        {"file:///tmp/100%.lay", "/tmp/100%.lay"},        // a lone % stays
        {"file:///tmp/a%2", "/tmp/a%2"},                  // cut short at the end
        {"file:///tmp/a%zz.lay", "/tmp/a%zz.lay"},
        {"file:///tmp/x%00y.lay", "file:///tmp/x%00y.lay"}, // a zero byte names no file
        {"file://server/share/a.lay", "file://server/share/a.lay"},
        {"file://localhostx/a.lay", "file://localhostx/a.lay"},
        {"file:relative.lay", "file:relative.lay"},
        {"http://example.org/a.lay", "http://example.org/a.lay"},
        {"file", "file"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LocalPathFromUri(c.argument), c.path) << c.argument;
}
