// The system's own dialogs, answered as a person would.
#include <windows.h>

#include "editor_fixture.h"
#include "support/temp_folder.h"

namespace editor_testing {
namespace {

using testing_support::ReadBytes;
using testing_support::WriteBytes;

TEST_F(RealDialogsTest, SaveOpenAndColourDialogs) {
  Run(IDC_CMDSAVE, {Press(IDOK)});  // numbers only
  Type(IDC_TXTNAME, L"Dusk");
  Type(IDC_TXTSUNINC, L"50");
  Type(IDC_TXTSUNROT, L"180");
  Run(-IDC_PICSUNCOL, {Colour(255, 200, 150)});
  Run(IDM_SAVE, {FileName(Path("Dusk"))});
  EXPECT_EQ(shown.name, L"Dusk");
  EXPECT_EQ(shown.filter, L"(*.LGT)");
  EXPECT_NE(ReadBytes(folder_ / "Dusk.lgt").find("\"Dusk\"\r\n\r\nsuncolor 255 200 150\r\n"),
            std::string::npos);
  Type(IDC_TXTSUNROT, L"90");
  Run(IDM_SAVE, {FileName(Path("Dusk.lgt")), Press(IDYES)});
  EXPECT_TRUE(ReadBytes(folder_ / "Dusk.lgt").ends_with(" sunrotation 90\r\n"));
  EXPECT_EQ(folder_.Entries(), std::vector<std::string>{"Dusk.lgt"});

  WriteBytes(folder_ / "Night.lgt", "LightingSet \"Night\"\r\nsunrotation 270\r\nsuncolor 1 2 3");
  Run(IDM_OPEN, {FileName(Path("Night.lgt"))});
  EXPECT_EQ(Values(), (std::vector<std::wstring>{L"Night", L"1 2 3", L"255 255 255", L"255 255 255",
                                                 L"255 255 255", L"50", L"270"}));

  // Wine's file dialogs crash on paths past MAX_PATH: a name that would not fit beside the
  // folder is not proposed, and typing stops where the path would pass it.
  const std::wstring longName(245, L'n');
  Type(IDC_TXTNAME, longName);
  Run(IDM_SAVE, {FileName(std::wstring(300, L'x'))});
  EXPECT_EQ(shown.name, L"") << "a name that cannot fit is not proposed";
  const std::size_t room = MAX_PATH - 2 - folder_.path().wstring().size();
  EXPECT_EQ(ReadBytes(folder_ / (std::string(room, 'x') + ".lgt")).find("LightingSet \"nnn"), 67u);
  EXPECT_EQ(Text(IDC_TXTNAME), longName) << "the window keeps its values";
}

}  // namespace
}  // namespace editor_testing
