#include "ui/windows/message_box.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "device/debug_sink.h"
#include "gui_support.h"
#include "ui/toolkit/language_texts.h"
#include "ui/windows/about_window.h"
#include "update/update_settings.h"

namespace halvern::ui::test {
namespace {

/// Runs `action` once the next modal loop is running.
void whenShown(std::function<void()> action) {
    QTimer::singleShot(0, qApp, std::move(action));
}

class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_english.load(languageFile(QStringLiteral("en.json"))));
        m_previous = setDebugCapture([this](std::string_view line) { m_debug.emplace_back(line); });
    }
    void TearDown() override { setDebugCapture(m_previous); }

    LayoutLoader m_loader = makeLoader();
    LanguageTexts m_english;
    std::vector<std::string> m_debug;
    DebugCapture m_previous;
};

TEST_F(MessageBoxTest, ButtonModesAndTheResultOfEachWayToClose) {
    struct Case {
        int mode;
        const char* press;  // the button pressed, or "" to close with Escape
        int result;
        bool cancelShown;
    };
    for (const Case& c :
         {Case{0, "confirm_btn", 1, false}, Case{0, "closebtn", 0, false}, Case{1, "confirm_btn", 1, true},
          Case{1, "cancel_btn", 0, true}, Case{1, "closebtn", 0, true}, Case{1, "", 0, true}}) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " " << c.press);
        MessageBox box(m_loader, m_english);
        box.setButtonMode(c.mode);
        EXPECT_FALSE(box.confirmButton()->isHidden());
        EXPECT_EQ(box.cancelButton()->isHidden(), !c.cancelShown);
        whenShown([&box, &c] {
            if (*c.press == '\0') {
                box.reject();
            } else {
                box.findChild<QAbstractButton*>(QLatin1String(c.press))->click();
            }
        });
        EXPECT_EQ(box.exec(), c.result);
    }
}

TEST_F(MessageBoxTest, OtherModesLeaveTheButtonsAsTheLayoutHasThem) {
    MessageBox box(m_loader, m_english);
    box.setButtonMode(0);
    box.setButtonMode(7);
    EXPECT_TRUE(box.cancelButton()->isHidden()) << "mode 7 changes nothing";
    MessageBox fresh(m_loader, m_english);
    fresh.setButtonMode(-1);
    EXPECT_FALSE(fresh.cancelButton()->isHidden());
    EXPECT_FALSE(fresh.confirmButton()->isHidden());
}

TEST_F(MessageBoxTest, TextIdsAreTranslatedPlainTextIsNot) {
    MessageBox box(m_loader, m_english);
    box.setMessage(QStringLiteral("message_text_4"), true);
    EXPECT_EQ(box.message(), m_english.text(QStringLiteral("message_text_4")));
    EXPECT_NE(box.message(), QStringLiteral("message_text_4"));
    // A filled-in text is shown as given, even when it looks like an id.
    box.setMessage(QStringLiteral("message_text_4"), false);
    EXPECT_EQ(box.message(), QStringLiteral("message_text_4"));
    box.setMessage(QString(), true);
    EXPECT_EQ(box.message(), QStringLiteral("message_text_4")) << "an empty text keeps the last";
    // The title and buttons come from the language file too.
    EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("MessageTitle"))->text(),
              m_english.text("message_title"));
    EXPECT_EQ(box.confirmButton()->text(), m_english.text(QStringLiteral("confirm_text")));
}

TEST_F(MessageBoxTest, OnlyTheKnownDpiValuesAreAccepted) {
    MessageBox box(m_loader, m_english);
    for (int dpi : {48, 72, 96, 120, 144, 168, 192}) {
        box.setDpi(dpi);
        EXPECT_EQ(box.dpi(), dpi);
    }
    EXPECT_TRUE(m_debug.empty());
    box.setDpi(100);
    EXPECT_EQ(box.dpi(), 96);
    EXPECT_EQ(m_debug, (std::vector<std::string>{"MSG_WND DPI SET ERROR"}));
}

TEST_F(MessageBoxTest, ShowMessageRunsModallyOverItsOwnerOrAlone) {
    QWidget owner;
    owner.resize(800, 600);
    owner.show();
    owner.move(100, 80);
    for (QWidget* parent : {&owner, static_cast<QWidget*>(nullptr)}) {
        whenShown([parent, &owner] {
            auto* box = qobject_cast<MessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            if (parent) {
                const QPoint offset = box->frameGeometry().center() - owner.frameGeometry().center();
                // Qt allows for a guessed window frame (10 × 40 pixels) where no window manager reports one.
                EXPECT_LE(offset.manhattanLength(), 50) << "centred over its owner";
            }
            box->confirmButton()->click();
        });
        EXPECT_EQ(MessageBox::ShowMessage(m_loader, m_english, parent, QStringLiteral("message_text_22"), 144,
                                          true, MessageBox::kConfirmCancel),
                  1);
    }
}

TEST_F(MessageBoxTest, WithoutItsLayoutTheBoxStillAnswers) {
    LayoutLoader empty;
    empty.setSkinFolder(QStringLiteral("/nonexistent"));
    MessageBox box(empty, m_english);
    box.setMessage(QStringLiteral("message_text_7"), true);
    box.setButtonMode(1);
    EXPECT_EQ(box.message(), QString());
    whenShown([&box] { box.reject(); });
    EXPECT_EQ(box.exec(), 0);
}

TEST_F(MessageBoxTest, AboutWindowShowsTheVersionAndItsWindowButtons) {
    AboutWindow about(m_loader, m_english);
    EXPECT_EQ(about.size(), AboutWindow::kSize);
    // The version --version prints, not the version table's four-part placeholder.
    EXPECT_EQ(about.versionText(),
              QStringLiteral("Version ") + QString::fromLatin1(ApplicationVersionText()));
    EXPECT_TRUE(about.findChild<QWidget*>(QStringLiteral("menubtn"))->isHidden());
    // The licences of what the program is made with are readable from the window.
    auto* licences = about.findChild<QLabel*>(QStringLiteral("licences_label"));
    ASSERT_NE(licences, nullptr);
    EXPECT_TRUE(licences->text().contains(QStringLiteral("LGPL-3.0")));
    about.show();
    QCoreApplication::sendPostedEvents();
    EXPECT_GE(licences->height(), licences->heightForWidth(licences->width()))  // every line of it shows
        << licences->width() << " wide";
    LanguageTexts chinese;
    ASSERT_TRUE(chinese.load(languageFile(QStringLiteral("zh_CN.json"))));
    about.retranslate(chinese);
    EXPECT_EQ(about.versionText(), chinese.text(QStringLiteral("software_rev_text")) +
                                       QString::fromLatin1(ApplicationVersionText()));

    about.show();
    auto* max = about.findChild<QAbstractButton*>(QStringLiteral("maxbtn"));
    auto* restore = about.findChild<QAbstractButton*>(QStringLiteral("restorebtn"));
    EXPECT_TRUE(!max->isHidden() && restore->isHidden());
    max->click();
    EXPECT_TRUE(about.isMaximized());
    EXPECT_TRUE(max->isHidden() && !restore->isHidden());
    restore->click();
    EXPECT_FALSE(about.isMaximized());
    EXPECT_TRUE(!max->isHidden() && restore->isHidden());
}

TEST_F(MessageBoxTest, AboutOpensOnceAndClosingItEndsOnlyTheWindow) {
    AboutOpener opener;
    bool quit = false;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [&quit] { quit = true; });
    bool secondOpened = true;
    whenShown([&] {
        ASSERT_NE(opener.current(), nullptr);
        secondOpened = opener.open(m_loader, m_english, nullptr);  // returns at once: one is open
        opener.current()->close();                                 // as the window manager closes it
    });
    EXPECT_TRUE(opener.open(m_loader, m_english, nullptr));
    EXPECT_FALSE(secondOpened);
    EXPECT_EQ(opener.current(), nullptr);
    EXPECT_FALSE(quit);
}

}  // namespace
}  // namespace halvern::ui::test
