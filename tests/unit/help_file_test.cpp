// The Help command's choice of file: the old WinHelp file when it is there and
// the shell opens it, else the HTML page, else nothing.

#include "app/help_file.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_file_system.h"

#include <gtest/gtest.h>

namespace zim
{
namespace
{

class HelpFileTest : public ::testing::Test
{
protected:
    HelpFileTest() { EXPECT_TRUE(files.CreateDirectory("C:\\Prog")); }

    void Ship(const char* name) { ASSERT_TRUE(files.WriteFile(std::string("C:\\Prog\\") + name, "help")); }

    sim::SimFileSystem files{"C:\\Elsewhere"};
    sim::SimDesktop desktop;
};

TEST_F(HelpFileTest, OpensTheFileThatIsThereThroughTheShell)
{
    Ship(kHtmlHelpFile);
    EXPECT_EQ(OpenHelp(files, desktop, "C:\\Prog"), "C:\\Prog\\Zimdesk.html");
    // A folder given with its trailing backslash gives the same path.
    EXPECT_EQ(OpenHelp(files, desktop, "C:\\Prog\\"), "C:\\Prog\\Zimdesk.html");
    EXPECT_EQ(desktop.ShellOpenedPaths(),
              (std::vector<std::string>{"C:\\Prog\\Zimdesk.html", "C:\\Prog\\Zimdesk.html"}));
}

TEST_F(HelpFileTest, PrefersTheWinHelpFileAndFallsBackWhenTheShellRefusesIt)
{
    Ship(kWinHelpFile);
    Ship(kHtmlHelpFile);
    EXPECT_EQ(OpenHelp(files, desktop, "C:\\Prog"), "C:\\Prog\\Zimdesk.hlp");

    // A system without a WinHelp viewer gets the page instead.
    desktop.RefuseShellOpen("C:\\Prog\\Zimdesk.hlp");
    EXPECT_EQ(OpenHelp(files, desktop, "C:\\Prog"), "C:\\Prog\\Zimdesk.html");
    EXPECT_EQ(desktop.ShellOpenedPaths(),
              (std::vector<std::string>{"C:\\Prog\\Zimdesk.hlp", "C:\\Prog\\Zimdesk.html"}));
}

TEST_F(HelpFileTest, NoHelpFileOrNoViewerOpensNothing)
{
    // Nothing shipped; a help file in the working folder is not the program's.
    ASSERT_TRUE(files.WriteFile("C:\\Elsewhere\\Zimdesk.html", "not ours"));
    EXPECT_EQ(OpenHelp(files, desktop, "C:\\Prog"), "");

    Ship(kHtmlHelpFile);
    desktop.RefuseShellOpen("C:\\Prog\\Zimdesk.html");
    EXPECT_EQ(OpenHelp(files, desktop, "C:\\Prog"), "");
    EXPECT_TRUE(desktop.ShellOpenedPaths().empty());
}

} // namespace
} // namespace zim
