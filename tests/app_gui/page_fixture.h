#pragma once
// The running main window over an emulator, for the tests of one device page: every test gets its own data
// folder (so it starts from the shipped profile) and a capture of every report.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QString>
#include <QStringList>
#include <QTextDocument>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/main_window.h"
#include "emulator/emulator.h"
#include "gui_wait.h"
#include "temp_env.h"
#include "ui/controls/control_registry.h"
#include "ui/windows/message_box.h"

namespace halvern::app {

/// Where the open windows show `name` (a user's name holding markup, "<b>x</b>") as rich text: labels that
/// take their text for markup and tooltips holding it unescaped.
inline QStringList markupShown(const QString& name) {
    QStringList found;
    for (QWidget* w : QApplication::allWidgets()) {
        const auto* label = qobject_cast<QLabel*>(w);
        if (label && label->text().contains(name) && label->textFormat() != Qt::PlainText &&
            Qt::mightBeRichText(label->text()))
            found << QStringLiteral("label ") + w->objectName();
        if (w->toolTip().contains(name) && Qt::mightBeRichText(w->toolTip()))
            found << QStringLiteral("tooltip of ") + w->objectName();
    }
    return found;
}

/// Whether a label of the open windows shows `name`.
inline bool labelShows(const QString& name) {
    for (QWidget* w : QApplication::allWidgets()) {
        const auto* label = qobject_cast<QLabel*>(w);
        if (label && label->text().contains(name)) return true;
    }
    return false;
}

class PageFixture : public ::testing::Test {
protected:
    // Shows the window, plugs `product` in on its cable and waits until `ready` (the page has activated).
    void startWith(emu::Product product, const std::function<bool()>& ready) {
        ui::registerCustomControls(loader);
        (void)texts.load(QString::fromLatin1(HALVERN_SOURCE_RESOURCES "/lang/en.json"));
        window = std::make_unique<MainWindow>(emulator, loader, texts);
        window->start();
        ASSERT_TRUE(test::waitUntil([&] { return window->isVisible(); }));
        plugged = emulator.attach(product, emu::Attachment::Cable);
        ASSERT_TRUE(plugged);
        ASSERT_TRUE(test::waitUntil(ready, 5000));
    }
    void TearDown() override {
        window.reset();
        answerer.reset();
    }

    /// Runs a device operation to its end through the window's event loop (where its completion runs).
    DeviceResult await(const std::function<void(CMerivexUSBDevice::Done)>& start, int ms = 5000) {
        std::optional<DeviceResult> outcome;
        start([&outcome](DeviceResult r) { outcome = r; });
        EXPECT_TRUE(test::waitUntil([&] { return outcome.has_value(); }, ms)) << "the operation never ended";
        return outcome.value_or(DeviceResult::Cancelled(DeviceStep::None));
    }

    /// Waits until nothing the page started is on its way to the device.
    bool settled(ui::DevicePage* page, int ms = 5000) {
        return test::waitUntil([page] { return !page->writing(); }, ms);
    }

    /// Message boxes the window showed (their texts), each answered with `confirm` as soon as it opened.
    void answerMessages(bool confirm) {
        answerer = std::make_unique<QTimer>();
        QObject::connect(answerer.get(), &QTimer::timeout, [this, confirm] {
            auto* box = qobject_cast<ui::MessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            messages.push_back(box->message());
            box->done(confirm ? 1 : 0);
        });
        answerer->start(10);
    }

    template <typename Page>
    Page* pageOf(int kind) {
        DeviceSlotPage* p = window->deviceList().pageForKind(kind);
        return p ? qobject_cast<Page*>(p->page.data()) : nullptr;
    }

    test::TempDir folder;
    test::ScopedEnv dataHome{"XDG_DATA_HOME", (folder.path() / "data").string()};
    std::filesystem::path capture = folder.path() / "capture.txt";
    emu::Emulator emulator{emu::EmulatorOptions{emu::Transport::InProcess, {}, capture}};
    ui::LayoutLoader loader;
    ui::LanguageTexts texts;
    std::unique_ptr<MainWindow> window;
    std::shared_ptr<emu::VirtualDevice> plugged;
    std::unique_ptr<QTimer> answerer;
    std::vector<QString> messages;
};

}  // namespace halvern::app
