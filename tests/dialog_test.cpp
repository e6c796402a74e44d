// The real Velorn.exe (as VELORN_EXE names it, else beside this test) as a
// person meets it, worked with real clicks and keys on one launch, which
// the last test quits; then started with a command line.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "WinAPI_27.h"
#include "driver.h"
#include "resource.h"
#include "texts.h"

// A window, frame included, against tests/reference/<name>.png (pictures.cpp).
::testing::AssertionResult LooksAsReference(HWND window, const char *name);

namespace
{

// Waits until get() gives want; if it never does, says what it gave last.
template <class Get, class T>::testing::AssertionResult Becomes(Get get, const T &want)
{
    T got = get();
    if (WaitFor([&] { return (got = get()) == want; }))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "got " << ::testing::PrintToString(got) << ", expected "
           << ::testing::PrintToString(want) << " for " << WAIT_MS << " ms";
}

class VelornDialog : public ::testing::Test
{
  protected:
    // Starting Velorn under Wine is slow: once for all.
    static void SetUpTestSuite() { app = new Velorn; }
    static void TearDownTestSuite() { delete app; }
    void SetUp() override { ASSERT_TRUE(app) << "Velorn did not start"; }

    static Velorn *app;
};
Velorn *VelornDialog::app;

// Keys typed before the field is clicked go nowhere: the field shows 100.
TEST_F(VelornDialog, ShowsTheResultOfASpeedTypedAndOkClickedAsItsReference)
{
    Type(L"5");
    ClickAt(Centre(app->Item(IDC_RYCHLOST)));
    Type(L"100");
    app->Press(LABEL_OK);
    EXPECT_TRUE(LooksAsReference(app->Dialog(), "dialog-result"));
}

// Tab and Shift+Tab go round the tab stops in template order; the arrow keys
// go round the buttons' group, which the bottom label heads (it is the last
// control before OK with WS_GROUP), and in the speed field move its caret.
// (Enter, Esc and Alt+F4 open what the tests below show.)
TEST_F(VelornDialog, KeysMoveTheFocusByTheTemplatesOrderAndGroups)
{
    const HWND field = app->Item(IDC_RYCHLOST), ok = app->Button(LABEL_OK),
               storno = app->Button(LABEL_STORNO), help = app->Button(LABEL_NAPOVEDA),
               about = app->Button(LABEL_OPROGRAMU), label = app->Item(65533);
    ClickAt(Centre(field));
    const struct {
        WORD modifier, key;
        HWND focus;
    } steps[] = {
        {0, VK_TAB, ok},           {0, VK_TAB, storno},        {0, VK_TAB, help},
        {0, VK_TAB, about},        {0, VK_TAB, field},         {VK_SHIFT, VK_TAB, about},
        {VK_SHIFT, VK_TAB, help},  {VK_SHIFT, VK_TAB, storno}, {VK_SHIFT, VK_TAB, ok},
        {VK_SHIFT, VK_TAB, field}, {0, VK_DOWN, field},        {0, VK_UP, field},
        {0, VK_TAB, ok},           {0, VK_DOWN, storno},       {0, VK_RIGHT, help},
        {0, VK_DOWN, about},       {0, VK_DOWN, label},        {0, VK_DOWN, ok},
        {0, VK_UP, label},         {0, VK_UP, about},          {0, VK_LEFT, help},
        {0, VK_TAB, about},        {0, VK_TAB, field},
    };
    GUITHREADINFO gui{sizeof gui, 0, {}, {}, {}, {}, {}, {}, {}};
    const DWORD thread = GetWindowThreadProcessId(field, nullptr);
    for (const auto &step : steps) {
        step.modifier ? Keys({step.modifier, step.key}) : Keys({step.key});
        EXPECT_TRUE(Becomes(
            [&] { return GetGUIThreadInfo(thread, &gui) ? GetDlgCtrlID(gui.hwndFocus) : -1; },
            GetDlgCtrlID(step.focus)))
            << "the control with the focus after key " << &step - steps;
    }
}

// Speeds typed key by key, one far wider than the field, and the results
// shown whole: as atof reads text in the "C" locale, printed with "%f".
// Then the longest speed read. Enter is OK's command.
TEST_F(VelornDialog, EnterShowsTheWholeResultOfEveryTypedSpeed)
{
    const struct {
        const wchar_t *speed, *result;
        SIZE_T blanks = 0; // before "100", set at once: typing them is slow
    } cases[] = {
        {L"100", L"8.359053"},
        {L"36", L"0.390000"},
        {L"0.3", L"0.000000"},
        {L"0.4", L"0.000001"},
        {L"", L"0.000000"},
        {L"rychlost", L"0.000000"},
        // Not through the formula, which would give -0.066872.
        {L"-20", L"0.000000"},
        {L"-0", L"-0.000000"},
        // A lone sign: MinGW's strtod alone gives -0 here.
        {L"- 5", L"0.000000"},
        {L"50,5", L"1.044882"},
        {L"  100 km/h", L"8.359053"},
        {L"1e2", L"8.359053"},
        {L"1e104", L"inf"},
        {L"1e8", L"8359053497942385664.000000"},
        // The last digit tells s * 1000 / 3600 and v * v * 0.39 * v / 1000 from
        // s / 3.6, v * v * v * 0.39, pow(v, 3), * 0.001 and 18 other forms, and
        // SSE2 from x87 arithmetic in the 32-bit exe.
        {L"  00000000000000000000000000000000000009612.61000 km/h", L"7424736.964118"},
        {L"7653.42", L"3747345.580112"},
        // The longest finite result.
        {L"2.7e103",
         L"1645312500000000128458907748952938886192153222509654657366236109977259911724"
         L"8287315056731661013703170228545897835433830501760374566087449480021524937338"
         L"9602324370669765455789936499279532046949288623207431119876355431884493887065"
         L"950677264125455131453234123704526508291689187935604256684328736918396509093888"
         L".000000"},
        // At most BUFFER_SIZE - 2 characters are read: one more, and 100 loses its last 0.
        {L"", L"8.359053", BUFFER_SIZE - 5},
        {L"", L"0.008359", BUFFER_SIZE - 4},
    };
    const HWND field = app->Item(IDC_RYCHLOST), result = app->Item(IDC_ENERGIE);
    for (const auto &c : cases) {
        const std::wstring speed = c.blanks ? std::wstring(c.blanks, L' ') + L"100" : c.speed;
        SCOPED_TRACE(speed.substr(0, 60));
        SetText(field, c.blanks ? speed : L"");
        Send(app->Dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
        // Each key handled before the next step: messages overtake keys.
        Type(c.speed);
        EXPECT_TRUE(Becomes([&] { return app->Text(IDC_RYCHLOST); }, speed));
        SetText(result, L"?");
        Keys({VK_RETURN});
        EXPECT_TRUE(Becomes([&] { return app->Text(IDC_ENERGIE); }, std::wstring(c.result)));
    }
}

// Each box, opened by a key or click on a control, looks as its reference,
// owned by the dialog, or by nobody if it asks to quit, with No preselected:
// Enter keeps all, as does Esc, which Wine makes IDCANCEL. The close box
// takes Alt+F4's way (SC_CLOSE); the pictures show it drawn. Closed, a box
// leaves the screen as `after`: the dialog alone as left (a stray OK would
// show).
TEST_F(VelornDialog, EveryBoxLooksAsItsReferenceAndLeavesTheDialogAsItWas)
{
    const HWND field = app->Item(IDC_RYCHLOST);
    const struct {
        const char *way;
        HWND control;
        WORD modifier, key;
        const char *caption, *picture;
        WORD answer;
        const char *after;
    } ways[] = {
        {"Enter on Nápověda", app->Button(LABEL_NAPOVEDA), 0, VK_RETURN, HELP_CAPTION, "box-help",
         VK_RETURN, "screen-after-help"},
        {"Enter on O programu", app->Button(LABEL_OPROGRAMU), 0, VK_RETURN, ABOUT_CAPTION,
         "box-about", VK_ESCAPE, "screen-after-about"},
        {"Esc in the field", field, 0, VK_ESCAPE, QUIT_CAPTION, "box-quit", VK_RETURN,
         "screen-after-quit-field"},
        {"Storno clicked", app->Button(LABEL_STORNO), 0, 0, QUIT_CAPTION, "box-quit", VK_ESCAPE,
         "screen-after-quit-storno"},
        {"Alt+F4", field, VK_MENU, VK_F4, QUIT_CAPTION, "box-quit", VK_RETURN,
         "screen-after-quit-field"},
    };
    for (const auto &w : ways) {
        SCOPED_TRACE(w.way);
        SetText(field, L"72");
        Send(app->Dialog(), WM_COMMAND, IDOK);
        SetText(field, L"100");
        Send(app->Dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(w.control), TRUE);
        if (!w.key)
            ClickAt(Centre(w.control));
        else
            w.modifier ? Keys({w.modifier, w.key}) : Keys({w.key});
        const HWND box = app->WaitBox(Wide(w.caption).c_str());
        ASSERT_TRUE(box) << "no box \"" << w.caption << "\" appeared within " << WAIT_MS << " ms";
        EXPECT_TRUE(LooksAsReference(box, w.picture));
        EXPECT_EQ(GetWindow(box, GW_OWNER), w.caption == QUIT_CAPTION ? nullptr : app->Dialog());
        Keys({w.answer}); // the picture shows the box active
        EXPECT_TRUE(Becomes([&] { return IsWindow(box) != FALSE; }, false)) << "the box is open";
        EXPECT_TRUE(app->Settle()) << "Velorn busy for " << WAIT_MS << " ms";
        EXPECT_TRUE(LooksAsReference(GetDesktopWindow(), w.after));
    }
}

// Stornos faster than any hand open MAX_CONFIRMATIONS boxes at most; OK,
// posted last, still calculates beneath them. Alt+F4 then brings the newest
// forward. No, Yes in the oldest, No: Velorn ends with 2.
TEST_F(VelornDialog, StornosOpenThreeBoxesAtMostAndOneYesQuitsWith2)
{
    const HWND dlg = app->Dialog();
    SetText(app->Item(IDC_RYCHLOST), L"36");
    for (int i = 0; i < 2000; ++i)
        Check(PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0), "PostMessageW", L"IDCANCEL");
    Check(PostMessageW(dlg, WM_COMMAND, IDOK, 0), "PostMessageW", L"IDOK");
    EXPECT_TRUE(Becomes([&] { return app->Text(IDC_ENERGIE); }, std::wstring(L"0.390000")));
    const std::vector<HWND> quits = WindowsOf(app->Pid(), Wide(QUIT_CAPTION).c_str());
    ASSERT_EQ(quits.size(), static_cast<size_t>(MAX_CONFIRMATIONS)); // newest first
    ClickAt(Centre(app->Item(IDC_RYCHLOST)));
    EXPECT_TRUE(Becomes(GetForegroundWindow, dlg)) << "the dialog active";
    // Keys go where X has the focus: Velorn's thread must have moved it.
    EXPECT_TRUE(app->Settle());
    Keys({VK_MENU, VK_F4});
    EXPECT_TRUE(Becomes(GetForegroundWindow, quits[0])) << "the newest box active";
    Answer(quits[0], IDNO);
    Answer(quits[2], IDYES); // the oldest
    Answer(quits[1], IDNO);
    EXPECT_EQ(app->WaitExit(), 2u);
}

// A launch of its own, with a command line as Explorer gives one for a file
// dropped on Velorn, then a number and something long: Velorn reads none of
// it and starts as without, alone on the screen and centred. Then long use
// (Velorn::Use): two rounds let Wine make what it keeps; over six more,
// Velorn's private memory grows by 16-48 KiB (x86_64, 22 runs), by 4 MiB
// with a device context leaked per OK, by 224-252 KiB with a brush leaked
// per paint. Wine's checking heap stays off here: its freed blocks, kept for
// a while, come and go by megabytes.
TEST(VelornStartedWithArguments, StartsAsWithoutThemAndKeepsItsMemoryOverLongUse)
{
    constexpr long long GROWTH_KIB = 128;
    wchar_t heapChecks[256] = L"";
    GetEnvironmentVariableW(L"WINEDEBUG", heapChecks, 256);
    Check(SetEnvironmentVariableW(L"WINEDEBUG", L"-all"), "SetEnvironmentVariableW", L"WINEDEBUG");
    const Velorn velorn(L"\"C:\\users\\Jiří Novák\\Plocha\\měření na D1.txt\" 100 " +
                        std::wstring(30000, L'7'));
    Check(SetEnvironmentVariableW(L"WINEDEBUG", heapChecks), "SetEnvironmentVariableW", heapChecks);
    EXPECT_TRUE(LooksAsReference(GetDesktopWindow(), "screen-start"))
        << "Velorn started with a dropped file's path, a number and 30,000 digits should show "
           "what it shows without them";
    velorn.Use(2);
    const long long before = static_cast<long long>(velorn.PrivateBytes());
    velorn.Use(6);
    const long long grown = (static_cast<long long>(velorn.PrivateBytes()) - before) / 1024;
    EXPECT_LE(grown, GROWTH_KIB) << "Velorn's private memory grew by " << grown
                                 << " KiB over 1800 OKs and 18 boxes: left open all day, it "
                                    "would take ever more of the machine's memory";
}

} // namespace
