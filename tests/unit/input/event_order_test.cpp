// The one event order: in each modal state a key reaches the part that takes it there.
#include <gtest/gtest.h>

#include "input/help_screen.h"
#include "input/sort_prompt.h"
#include "platform/memory/memory_files.h"
#include "test.h"

namespace tembra {
namespace {

using testing::SessionFixture;

TEST(EventOrder, EachStateHandsTheKeyToItsTaker) {
  memory::MemoryFileSystem files;
  std::string data;
  for (int i = 1; i <= 100; ++i) data += "line " + std::to_string(i) + "\n";
  ASSERT_TRUE(files.PutFile("C:\\a.txt", data));
  headless::Options o;
  o.cmdline = "a.txt";
  SessionFixture f(files, o);
  ASSERT_TRUE(f.Start());
  Lister& l = f.L();
  Page* const view = &l.View();
  Page* const dir = &l.Dir();
  const struct {
    const char* script;
    ShownPage page;
    Page* taker;
    bool help;
    int32_t top;  // the file view's top line (0: not asked)
  } steps[] = {
      {"", ShownPage::FileView, view, false, 1},
      {"key F1", ShownPage::FileView, view, true, 1},    // help opens over the page
      {"key Down", ShownPage::FileView, view, true, 1},  // help takes the key, not the page
      {"key Esc", ShownPage::FileView, view, false, 1},  // help closes
      {"key Down", ShownPage::FileView, view, false, 2}, // the page shown takes it
      {"key Esc", ShownPage::Directory, dir, false, 0},  // the file view's Esc: the folder
      {"type s", ShownPage::SortPrompt, dir, false, 0},  // the prompt opens over the page
      {"type x", ShownPage::Directory, dir, false, 0},   // the prompt takes its cancel
  };
  for (const auto& s : steps) {
    ASSERT_TRUE(f.Run(s.script)) << s.script;
    EXPECT_EQ(l.CurrentPage(), s.page) << s.script;
    EXPECT_EQ(&l.PageShown(), s.taker) << s.script;
    EXPECT_EQ(l.Help().bHelpShown, s.help) << s.script;
    EXPECT_EQ(l.Prompt().bSortPrompt, s.page == ShownPage::SortPrompt) << s.script;
    if (s.top != 0) {
      EXPECT_EQ(l.View().nTopRec, s.top) << s.script;
    }
  }
}

}  // namespace
}  // namespace tembra
