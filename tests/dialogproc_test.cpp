// DialogProc in this process, on a dialog made from the real template, with
// memory, message boxes and object deletion under the test's control.
#include "hooks.h"
// Here the hooks call the real functions.
#undef GlobalAlloc
#undef GlobalFree
#undef MessageBoxA
#undef DeleteObject

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "resource.h"

extern "C" {
extern HINSTANCE g_hInst;
extern HBRUSH g_hbPozadi;
INT_PTR CALLBACK DialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
}

namespace
{

struct Box {
    HWND owner;
    std::string text, caption;
    UINT type;
};

int g_failAlloc = -1; // index of the GlobalAlloc call that fails
int g_allocs, g_live;
std::vector<Box> g_boxes;
std::function<int(const Box &)> g_answer;
std::vector<HGDIOBJ> g_deleted;

} // namespace

// Each block gets a guard zone after the bytes asked for; freeing checks it.
const SIZE_T kGuard = 64;
std::map<HGLOBAL, SIZE_T> g_sizes;
int g_overruns;

extern "C" HGLOBAL WINAPI TestGlobalAlloc(UINT flags, SIZE_T bytes)
{
    if (g_allocs++ == g_failAlloc)
        return nullptr;
    HGLOBAL mem = GlobalAlloc(flags, bytes + kGuard);
    if (mem) {
        ++g_live;
        g_sizes[mem] = bytes;
        memset((char *)mem + bytes, 0xAB, kGuard);
    }
    return mem;
}

extern "C" HGLOBAL WINAPI TestGlobalFree(HGLOBAL mem)
{
    --g_live;
    const char *guard = (const char *)mem + g_sizes[mem];
    g_overruns += std::count(guard, guard + kGuard, (char)0xAB) != (long)kGuard;
    g_sizes.erase(mem);
    return GlobalFree(mem);
}

extern "C" int WINAPI TestMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    g_boxes.push_back({owner, text, caption, type});
    return g_answer(g_boxes.back());
}

extern "C" BOOL WINAPI TestDeleteObject(HGDIOBJ obj)
{
    g_deleted.push_back(obj);
    return DeleteObject(obj);
}

namespace
{

class DialogProcTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        g_hInst = GetModuleHandleW(nullptr);
        g_failAlloc = -1;
        g_allocs = g_live = g_overruns = 0;
        g_boxes.clear();
        g_deleted.clear();
        g_answer = [](const Box &) { return IDNO; };
        dlg = CreateDialogParamA(g_hInst, MAKEINTRESOURCEA(IDD_HLAVNI), nullptr, DialogProc, 0);
        ASSERT_TRUE(dlg);
        ShowWindow(dlg, SW_SHOW);
    }
    void TearDown() override { DestroyWindow(dlg); }

    void Command(int id) { SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    std::string Text(int id)
    {
        char text[256] = {};
        GetDlgItemTextA(dlg, id, text, sizeof text);
        return text;
    }

    HWND dlg = nullptr;
};

TEST_F(DialogProcTest, OkUsesTwoZeroedBuffersAndFreesThem)
{
    SetDlgItemTextA(dlg, IDC_RYCHLOST, "144");
    Command(IDOK);
    EXPECT_EQ(Text(IDC_ENERGIE), "24.960000");
    EXPECT_EQ(g_allocs, 2);
    EXPECT_EQ(g_live, 0);
}

TEST_F(DialogProcTest, LongTextsStayInsideTheBuffers)
{
    const struct {
        std::string text;
        const char *result;
    } cases[] = {
        {std::string(65531, ' ') + "100", "8.359053"},
        {std::string(65534, ' ') + "100", "0.000000"},
        {"1e999" + std::string(100000, ' '), "inf"},
    };
    for (const auto &c : cases) {
        SetDlgItemTextA(dlg, IDC_RYCHLOST, c.text.c_str());
        Command(IDOK);
        EXPECT_EQ(Text(IDC_ENERGIE), c.result) << c.text.size();
    }
    EXPECT_EQ(g_allocs, 6);
    EXPECT_EQ(g_live, 0);
    EXPECT_EQ(g_overruns, 0);
}

TEST_F(DialogProcTest, WithoutMemoryTheResultStays)
{
    SetDlgItemTextA(dlg, IDC_RYCHLOST, "100");
    Command(IDOK);
    SetDlgItemTextA(dlg, IDC_RYCHLOST, "36");
    for (int fail : {0, 1}) {
        g_allocs = 0;
        g_failAlloc = fail;
        Command(IDOK);
        EXPECT_EQ(Text(IDC_ENERGIE), "8.359053") << "failed allocation " << fail;
        EXPECT_EQ(g_live, 0) << "failed allocation " << fail;
    }
}

TEST_F(DialogProcTest, QuitAsksWithoutOwnerAndEndsOnlyWhenNotNo)
{
    Command(IDCANCEL);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].owner, nullptr);
    EXPECT_EQ(g_boxes[0].type, (UINT)(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    EXPECT_TRUE(IsWindowVisible(dlg));
    EXPECT_EQ(std::count(g_deleted.begin(), g_deleted.end(), (HGDIOBJ)g_hbPozadi), 0);

    // A box that failed (0) is not No either: the quit goes ahead.
    g_answer = [](const Box &) { return 0; };
    Command(IDCANCEL);
    EXPECT_FALSE(IsWindowVisible(dlg));
}

TEST_F(DialogProcTest, NestedConfirmationsDeleteTheBrushOnce)
{
    HBRUSH brush = g_hbPozadi;
    // Storno arrives again while each box is open, three deep; the two
    // newer boxes say Yes, the first one No.
    g_answer = [this](const Box &) {
        size_t depth = g_boxes.size();
        if (depth < 3)
            Command(IDCANCEL);
        return depth == 1 ? IDNO : IDYES;
    };
    Command(IDCANCEL);
    EXPECT_EQ(g_boxes.size(), 3u);
    EXPECT_EQ(std::count(g_deleted.begin(), g_deleted.end(), (HGDIOBJ)brush), 1);
    EXPECT_EQ(g_hbPozadi, nullptr);
    EXPECT_FALSE(IsWindowVisible(dlg));
}

TEST_F(DialogProcTest, ColoursStaticsAndHandsOutTheBrushUntilQuit)
{
    ASSERT_EQ(GetObjectType(g_hbPozadi), (DWORD)OBJ_BRUSH);
    ASSERT_EQ(g_deleted.size(), 1u); // the bitmap, once the brush has it
    EXPECT_NE(g_deleted[0], (HGDIOBJ)g_hbPozadi);

    HDC dc = CreateCompatibleDC(nullptr);
    HWND label = GetDlgItem(dlg, IDC_ENERGIE);
    EXPECT_EQ(SendMessageA(dlg, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)label), (LRESULT)g_hbPozadi);
    EXPECT_EQ(GetTextColor(dc), RGB(0xA0, 0xFF, 0xFF));
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    SetBkMode(dc, OPAQUE);
    SetTextColor(dc, 0);
    EXPECT_EQ(DialogProc(dlg, WM_CTLCOLORDLG, (WPARAM)dc, (LPARAM)dlg), (INT_PTR)g_hbPozadi);
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    EXPECT_EQ(GetTextColor(dc), 0u);

    g_answer = [](const Box &) { return IDYES; };
    Command(IDCANCEL);
    EXPECT_EQ(DialogProc(dlg, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)label), 0);
    EXPECT_EQ(DialogProc(dlg, WM_CTLCOLORDLG, (WPARAM)dc, (LPARAM)dlg), 0);
    DeleteDC(dc);
}

TEST_F(DialogProcTest, HelpAndAboutAreOwnedInformationBoxes)
{
    SetDlgItemTextA(dlg, IDC_RYCHLOST, "90");
    Command(IDOK);
    g_answer = [](const Box &) { return IDOK; };
    Command(IDC_NAPOVEDA);
    Command(IDC_OPROGRAMU);
    ASSERT_EQ(g_boxes.size(), 2u);
    for (const Box &box : g_boxes) {
        EXPECT_EQ(box.owner, dlg);
        EXPECT_EQ(box.type, (UINT)(MB_OK | MB_ICONINFORMATION));
    }
    // Windows-1250 bytes, written out here independently of the source.
    EXPECT_EQ(g_boxes[0].caption, "N\xE1vod");
    EXPECT_EQ(g_boxes[0].text,
              "\nProgram je st\xE1le ve f\xE1zi testov\xE1n\xED, proto autor nenese\n"
              " \x9E\xE1"
              "dnou odpov\xEC"
              "dnost za p\xF8\xEDpadn\xE9 chyby zp\xF9soben\xE9 "
              "programem.\n"
              "Program na ur\xE8"
              "en\xED energie nutn\xE9 k vyrovn\xE1n\xED odporu vzduchu \n"
              "osobn\xED"
              "ch automobil\xF9,se sou\xE8initelem odporu 0.3 a \xE8"
              "eln\xEDm "
              "pr\xF9\xF8"
              "ezem 2metry\n"
              "\xE8tvere\xE8n\xED.\n"
              "Do horn\xEDho edita\xE8n\xEDho pole zad\xE1me rychlost vozu v kilometrech\n"
              "a zm\xE1\xE8kneme tla\xE8\xEDtko OK.\n"
              "V poli Energie nutn\xE1 k vyrovn\xE1n\xED odporu vzduchu p\xF8"
              "e\xE8teme "
              "v\xFDsledek. \n"
              "Hodnota je kilowatthodin\xE1"
              "ch.");
    EXPECT_EQ(g_boxes[1].caption, "O programu Velorn");
    const std::string &about = g_boxes[1].text;
    EXPECT_EQ(about.rfind("Version \nVelorn.0.1\n\n\n", 0), 0u) << about;
    EXPECT_EQ(std::count(about.begin(), about.end(), '\n'), 6) << about;
    EXPECT_EQ(about.substr(about.size() - 5), "\n2005");
    EXPECT_EQ(about.find("\n\n\n\n"), std::string::npos);
    EXPECT_EQ(Text(IDC_RYCHLOST), "90");
    EXPECT_EQ(Text(IDC_ENERGIE), "6.093750");
}

} // namespace
