// Mapwick's message box, driven like a user: what it shows and where, the
// keys and buttons that close it, help, its remembered position, and boxes
// that never block the thread that opens them.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "DlgMessageIds.h"
#include "ModalessTestSupport.h"
#include "ThreadModaless.h"
#include "UiDriver.h"

using namespace modaless_test;
using namespace uidriver;

namespace {

constexpr UINT kIdsCaption = 5;
constexpr UINT kIdsSearchCanceled = 6;
constexpr const wchar_t* kPosName = kPosMessage;

class MapwickMessage : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_product.IsInstalled()); }
    CInstalledProduct m_product;

    static CStartedBox Open(const wchar_t* a_pszText = L"A message.")
    {
        return StartMessageBox(std::make_unique<CThreadMessage>(a_pszText, L"Test caption"));
    }
};

RECT ChildRect(HWND a_hDlg, int a_nId)
{
    RECT rc = WindowRect(::GetDlgItem(a_hDlg, a_nId));
    ::MapWindowPoints(nullptr, a_hDlg, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

TEST_F(MapwickMessage, ShowsIconCaptionTextAndOkWhereTheTemplatePutsThem)
{
    CStartedBox box = StartMessageBox(std::make_unique<CThreadMessage>(kIdsSearchCanceled, kIdsCaption));
    ASSERT_NE(box.m_hBox, nullptr);
    HWND h = box.m_hBox;

    EXPECT_EQ(WindowText(h), L"Lumet for OpenView Information");
    EXPECT_EQ(WindowText(::GetDlgItem(h, IDC_MESSAGE_TEXT)),
              L"ORVAN printer search has been canceled.\r\nPress OK to begin ORVAN printer search on new map.");
    EXPECT_EQ(WindowText(::GetDlgItem(h, IDOK)), L"OK");
    EXPECT_NE(::SendMessageW(::GetDlgItem(h, IDC_MESSAGE_ICON), STM_GETICON, 0, 0), 0)
        << "the exclamation icon";
    EXPECT_NE(::SendMessageW(h, WM_GETICON, ICON_SMALL, 0), 0) << "the program's icon";
    EXPECT_TRUE(::IsWindowVisible(h));
    EXPECT_EQ(::GetForegroundWindow(), h);

    // Mapwick's template: 228 x 85, left-aligned text of 184 x 45.
    SIZE client = ClientSize(h), expected = DialogUnits(h, 228, 85);
    EXPECT_EQ(client.cx, expected.cx);
    EXPECT_EQ(client.cy, expected.cy);
    HWND hText = ::GetDlgItem(h, IDC_MESSAGE_TEXT);
    EXPECT_EQ(::GetWindowLongW(hText, GWL_STYLE) & SS_TYPEMASK, SS_LEFT);
    SIZE textSize = WindowSize(hText), expectedText = DialogUnits(h, 184, 45);
    EXPECT_EQ(textSize.cx, expectedText.cx);
    EXPECT_EQ(textSize.cy, expectedText.cy);
    RECT icon = ChildRect(h, IDC_MESSAGE_ICON), text = ChildRect(h, IDC_MESSAGE_TEXT),
         ok = ChildRect(h, IDOK);
    EXPECT_LT(icon.right, text.left) << "icon left of the text";
    EXPECT_LT(icon.top, DialogUnits(h, 0, 10).cy) << "icon at the top";
    EXPECT_GE(ok.top, text.bottom) << "OK below the text";
    EXPECT_NEAR((ok.left + ok.right) / 2, client.cx / 2, 2) << "OK centred";
    EXPECT_EQ(::SendMessageW(h, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));

    ::RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    EXPECT_TRUE(SaveWindowBitmap(h, ScreenshotPath(L"message_mapwick.bmp")));

    ClickButton(h, IDOK);
    EXPECT_TRUE(EndsByItself(*box.m_pThread));
}

struct CloseCase {
    const char* m_pszName;
    UINT m_vk;  // 0: click OK; VK_APPS stands for the caption bar's close
};

class MapwickMessageClose : public MapwickMessage, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(MapwickMessageClose, ClosesTheBoxAndEndsItsThread)
{
    CStartedBox box = Open();
    ASSERT_NE(box.m_hBox, nullptr);
    if (GetParam().m_vk == 0)
        ClickButton(box.m_hBox, IDOK);
    else if (GetParam().m_vk == VK_APPS)
        ::PostMessageW(box.m_hBox, WM_SYSCOMMAND, SC_CLOSE, 0);
    else
        PressKey(box.m_hBox, GetParam().m_vk);
    EXPECT_TRUE(EndsByItself(*box.m_pThread));
    EXPECT_FALSE(::IsWindow(box.m_hBox));
}

INSTANTIATE_TEST_SUITE_P(Cases, MapwickMessageClose,
                         ::testing::Values(CloseCase{"Esc", VK_ESCAPE}, CloseCase{"Enter", VK_RETURN},
                                           CloseCase{"OkButton", 0},
                                           CloseCase{"CaptionClose", VK_APPS}),
                         [](const auto& a_info) { return std::string(a_info.param.m_pszName); });

TEST_F(MapwickMessage, F1SendsTheHelpCommandAndKeepsTheBox)
{
    CTestApp app;
    CStartedBox box = Open();
    ASSERT_NE(box.m_hBox, nullptr);
    PressKey(box.m_hBox, VK_F1);
    ASSERT_TRUE(WaitFor([&] { return !app.Helps().empty(); }));
    EXPECT_EQ(app.Helps()[0].second, static_cast<UINT>(HELP_FINDER));
    EXPECT_TRUE(::IsWindowVisible(box.m_hBox));
    EXPECT_TRUE(box.m_pThread->IsStillActive());
    PressKey(box.m_hBox, VK_ESCAPE);
    EXPECT_TRUE(EndsByItself(*box.m_pThread));
}

struct PositionCase {
    const char* m_pszName;
    int m_x, m_y;        // where the user puts the box
    DWORD m_dwStored;    // what closing it stores
    int m_xBack, m_yBack;  // where it opens next time
};

class MapwickMessagePosition : public MapwickMessage,
                               public ::testing::WithParamInterface<PositionCase> {};

TEST_P(MapwickMessagePosition, ClosingSavesTheTopLeftCornerAndReopeningRestoresIt)
{
    const PositionCase& c = GetParam();
    CStartedBox first = Open();
    ASSERT_NE(first.m_hBox, nullptr);
    const SIZE templateSize = WindowSize(first.m_hBox);
    // The user drags it.
    ASSERT_TRUE(::SetWindowPos(first.m_hBox, nullptr, c.m_x, c.m_y, 0, 0,
                               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    ClickButton(first.m_hBox, IDOK);
    ASSERT_TRUE(EndsByItself(*first.m_pThread));
    EXPECT_EQ(GetPosValue(kPosName), std::optional<DWORD>(c.m_dwStored));

    CStartedBox second = Open();
    ASSERT_NE(second.m_hBox, nullptr);
    RECT rc = WindowRect(second.m_hBox);
    EXPECT_EQ(rc.left, c.m_xBack);
    EXPECT_EQ(rc.top, c.m_yBack);
    EXPECT_EQ(rc.right - rc.left, templateSize.cx) << "the template's size";
    EXPECT_EQ(rc.bottom - rc.top, templateSize.cy);
    PressKey(second.m_hBox, VK_ESCAPE);
    EXPECT_TRUE(EndsByItself(*second.m_pThread));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MapwickMessagePosition,
    ::testing::Values(PositionCase{"OnScreen", 150, 120, (120u << 16) | 150u, 150, 120},
                      PositionCase{"LeftOfOrigin", -20, 35, (35u << 16) | 1u, 1, 35},
                      PositionCase{"AboveOrigin", 40, -30, (1u << 16) | 40u, 40, 1}),
    [](const auto& a_info) { return std::string(a_info.param.m_pszName); });

TEST_F(MapwickMessage, ClosedWhileMinimisedRemembersWhereItStood)
{
    CStartedBox first = Open();
    ASSERT_NE(first.m_hBox, nullptr);
    ASSERT_TRUE(::SetWindowPos(first.m_hBox, nullptr, 150, 120, 0, 0,
                               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    ::PostMessageW(first.m_hBox, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitFor([&] { return ::IsIconic(first.m_hBox) != FALSE; }));
    // The way an owner closes it: a close request to its window.
    ::PostMessageW(first.m_hBox, WM_CLOSE, 0, 0);
    ASSERT_TRUE(EndsByItself(*first.m_pThread));
    EXPECT_EQ(GetPosValue(kPosName), std::optional<DWORD>((120u << 16) | 150u));
}

TEST_F(MapwickMessage, WithoutAStoredValueOpensWhereTheTemplateSaysAndStoresNothing)
{
    CStartedBox marked = Open();
    ASSERT_NE(marked.m_hBox, nullptr);
    const RECT templateRect = WindowRect(marked.m_hBox);
    PressKey(marked.m_hBox, VK_ESCAPE);
    ASSERT_TRUE(EndsByItself(*marked.m_pThread));
    EXPECT_EQ(GetPosValue(kPosName), std::optional<DWORD>(
                                         (static_cast<DWORD>(templateRect.top) << 16) |
                                         static_cast<DWORD>(templateRect.left)))
        << "the no-position mark is replaced at the first close";

    RemovePosValue(kPosName);
    CStartedBox box = Open();
    ASSERT_NE(box.m_hBox, nullptr);
    const RECT unstored = WindowRect(box.m_hBox);
    EXPECT_TRUE(::EqualRect(&templateRect, &unstored));
    ::SetWindowPos(box.m_hBox, nullptr, 200, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ClickButton(box.m_hBox, IDOK);
    ASSERT_TRUE(EndsByItself(*box.m_pThread));
    EXPECT_EQ(GetPosValue(kPosName), std::nullopt);
}

TEST_F(MapwickMessage, TwoBoxesFromTwoThreadsAreIndependentAndNeverBlockTheirCreators)
{
    CStartedBox first, second;
    // Both opened at once, each by a thread of its own that carries on.
    std::thread a([&] { first = Open(L"First box."); });
    std::thread b([&] { second = Open(L"Second box."); });
    a.join();
    b.join();
    ASSERT_NE(first.m_hBox, nullptr);
    ASSERT_NE(second.m_hBox, nullptr);
    ASSERT_NE(first.m_hBox, second.m_hBox);
    EXPECT_NE(first.m_pThread->GetThreadId(), second.m_pThread->GetThreadId());

    DWORD_PTR result = 0;
    for (HWND h : {first.m_hBox, second.m_hBox})
        EXPECT_NE(::SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result), 0)
            << "responsive";

    PressKey(second.m_hBox, VK_RETURN);
    EXPECT_TRUE(EndsByItself(*second.m_pThread));
    EXPECT_TRUE(first.m_pThread->IsStillActive()) << "closing one leaves the other";
    EXPECT_EQ(WindowText(::GetDlgItem(first.m_hBox, IDC_MESSAGE_TEXT)), L"First box.");
    EXPECT_NE(::SendMessageTimeoutW(first.m_hBox, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result), 0);
    ClickButton(first.m_hBox, IDOK);
    EXPECT_TRUE(EndsByItself(*first.m_pThread));
}

TEST_F(MapwickMessage, BringsItsOwnerForwardWithoutWaitingForTheOwnersThread)
{
    // The owner belongs to this thread, which does not pump messages while
    // it waits for the box to start: the box must come up all the same.
    HWND hOwner = ::CreateWindowExW(0, L"STATIC", L"Owner", WS_OVERLAPPEDWINDOW, 300, 300, 200, 100,
                                    nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hOwner, nullptr);
    ::ShowWindow(hOwner, SW_SHOWMINIMIZED);
    ASSERT_TRUE(::IsIconic(hOwner));

    auto pThread = std::make_unique<CThreadMessage>(L"Search already running.", L"Test caption");
    pThread->SetOwnerWnd(hOwner);
    ASSERT_TRUE(pThread->CreateThread());
    EXPECT_TRUE(pThread->WaitInit(kWait));
    HWND hBox = WaitForDialogOfThread(pThread->GetThreadId());
    ASSERT_NE(hBox, nullptr);

    // Once this thread looks at its queue again the owner is restored.
    EXPECT_TRUE(WaitFor([&] {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        return !::IsIconic(hOwner);
    }));
    PressKey(hBox, VK_ESCAPE);
    EXPECT_TRUE(EndsByItself(*pThread));
    ::DestroyWindow(hOwner);
}

} // namespace
