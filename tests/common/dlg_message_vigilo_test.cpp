// Vigilo's message box and keys: its own template, Esc and Enter through the
// dialog keys, F1 for help, and F5 acting as the Refresh button of Vigilo's
// dialogs, which then put the focus on their default button.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>

#include "DlgMessageIds.h"
#include "DlgModaless.h"
#include "ModalessTestSupport.h"
#include "ThreadModaless.h"
#include "UiDriver.h"
#include "accelerators.h"
#include "dlg_refresh_test.h"

using namespace modaless_test;
using namespace uidriver;

namespace {

constexpr UINT kIdsCaption = 1020;
constexpr UINT kIdsBadAddress = 1101;

// A dialog of Vigilo's kind: Refresh moves the focus to the default button.
class CRefreshDlg : public CDlgModaless {
public:
    CRefreshDlg() : CDlgModaless(IDD_REFRESH_TEST, nullptr, kPosStatusMain) {}
    std::atomic<int> m_nRefreshes{0};
    std::atomic<BOOL> m_bFocused{FALSE};

protected:
    bool OnCommand(UINT a_nId, UINT a_nCode, HWND a_hCtl) override
    {
        if (a_nId == IDC_REFRESH && a_nCode <= 1) {
            m_bFocused = FocusDefaultButton();
            ++m_nRefreshes;
            return true;
        }
        return CDlgModaless::OnCommand(a_nId, a_nCode, a_hCtl);
    }
};

class VigiloMessage : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_product.IsInstalled()); }
    CInstalledProduct m_product;
};

TEST_F(VigiloMessage, ShowsIconCaptionCentredTextAndOk)
{
    std::wstring text = winui::LoadResString(kIdsBadAddress);
    text.replace(text.find(L"%s"), 2, L"192.168.1.300");
    CStartedBox box = StartMessageBox(
        std::make_unique<CThreadMessage>(text, winui::LoadResString(kIdsCaption)));
    ASSERT_NE(box.m_hBox, nullptr);
    HWND h = box.m_hBox;

    EXPECT_EQ(WindowText(h), L"Lumet for OpenView Information");
    EXPECT_EQ(WindowText(::GetDlgItem(h, IDC_MESSAGE_TEXT)), L"Bad address.\r\n192.168.1.300");
    EXPECT_NE(::SendMessageW(::GetDlgItem(h, IDC_MESSAGE_ICON), STM_GETICON, 0, 0), 0);
    EXPECT_NE(::SendMessageW(h, WM_GETICON, ICON_SMALL, 0), 0);
    // Vigilo's template: 212 x 69, centred text of 164 x 25.
    SIZE client = ClientSize(h), expected = DialogUnits(h, 212, 69);
    EXPECT_EQ(client.cx, expected.cx);
    EXPECT_EQ(client.cy, expected.cy);
    HWND hText = ::GetDlgItem(h, IDC_MESSAGE_TEXT);
    EXPECT_EQ(::GetWindowLongW(hText, GWL_STYLE) & SS_TYPEMASK, SS_CENTER);
    SIZE textSize = WindowSize(hText), expectedText = DialogUnits(h, 164, 25);
    EXPECT_EQ(textSize.cx, expectedText.cx);
    EXPECT_EQ(textSize.cy, expectedText.cy);

    ::RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    EXPECT_TRUE(SaveWindowBitmap(h, ScreenshotPath(L"message_vigilo.bmp")));

    ClickButton(h, IDOK);
    EXPECT_TRUE(EndsByItself(*box.m_pThread));
}

TEST_F(VigiloMessage, EscAndEnterCloseItThroughTheDialogKeys)
{
    for (UINT vk : {VK_ESCAPE, VK_RETURN}) {
        CStartedBox box = StartMessageBox(std::make_unique<CThreadMessage>(L"Text", L"Caption"));
        ASSERT_NE(box.m_hBox, nullptr);
        PressKey(box.m_hBox, vk);
        EXPECT_TRUE(EndsByItself(*box.m_pThread)) << "key " << vk;
    }
}

TEST(VigiloKeys, F5ActsAsRefreshAndF1AsHelp)
{
    CTestApp app;
    CThreadDlg thread(IDD_REFRESH_TEST, &MakeDialog<CRefreshDlg>);
    ASSERT_TRUE(thread.CreateThread());
    ASSERT_TRUE(thread.WaitInit(kWait));
    auto* pDlg = static_cast<CRefreshDlg*>(thread.GetDialog());
    HWND h = pDlg->GetSafeHwnd();
    ASSERT_NE(h, nullptr);
    HWND hEdit = ::GetDlgItem(h, IDC_REFRESH_TEST_EDIT);
    ASSERT_TRUE(WaitFor([&] { return FocusOf(h) == hEdit; })) << "the focus starts in the edit";

    PressKey(h, VK_F5);
    ASSERT_TRUE(WaitFor([&] { return pDlg->m_nRefreshes == 1; }));
    EXPECT_TRUE(pDlg->m_bFocused);
    EXPECT_TRUE(WaitFor([&] { return FocusOf(h) == ::GetDlgItem(h, IDOK); }))
        << "Refresh puts the focus on the default button";

    PressKey(h, VK_F1);
    ASSERT_TRUE(WaitFor([&] { return !app.Helps().empty(); }));
    EXPECT_TRUE(::IsWindow(h));

    ClickButton(h, IDOK);
    EXPECT_TRUE(EndsByItself(thread));
}

} // namespace
