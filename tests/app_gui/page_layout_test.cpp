// The device pages at the window's default and minimum sizes, in both languages, with all four devices:
// every editor has the room to work (the macro list shows at least eight rows, the lighting panel needs no
// scroll bar) and no text a user reads is cut off.

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <set>

#include "app/main_window.h"
#include "emulator/emulator.h"
#include "gui_wait.h"
#include "temp_env.h"
#include "text_fit.h"
#include "ui/controls/control_registry.h"
#include "ui/pages/keyboard_page.h"
#include "ui/pages/mouse_page.h"
#include "ui/toolkit/control_lookup.h"

namespace halvern::app {
namespace {

using test::waitUntil;

constexpr int kMouse = 0;
constexpr int kKeyboard = 1;
constexpr std::array<emu::Product, 4> kProducts{emu::Product::Mouse, emu::Product::Keyboard,
                                                emu::Product::MousePad, emu::Product::Headset};

class PageLayoutTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        ui::registerCustomControls(loader);
        ASSERT_TRUE(texts.load(QString::fromLatin1(HALVERN_SOURCE_RESOURCES "/lang/en.json")));
        window = std::make_unique<MainWindow>(emulator, loader, texts);
        window->applyStartLanguage();
        window->start();
        ASSERT_TRUE(waitUntil([&] { return window->isVisible(); }));
        for (emu::Product product : kProducts) ASSERT_TRUE(emulator.attach(product, emu::Attachment::Cable));
        ASSERT_TRUE(waitUntil(
            [&] {
                const auto& pages = window->deviceList().pages();
                return pages.size() == kProducts.size() &&
                       std::all_of(pages.begin(), pages.end(),
                                   [this](const auto& p) { return window->hub().hasTimer(p->entry, 1000); });
            },
            8000))
            << "not every page activated";
    }
    void TearDown() override { window.reset(); }

    /// Lays the window out at `size` and lets every pending layout run.
    void resizeTo(QSize size) {
        window->resize(size);
        settle();
        ASSERT_EQ(window->size(), size);
    }
    static void settle() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            QApplication::processEvents();
        }
    }
    ui::DevicePage* show(int kind) {
        const auto& pages = window->deviceList().pages();
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (pages[i]->kindIndex() == kind)
                window->deviceList().ShowDeviceEntry(static_cast<int>(i), true, true);
        }
        settle();
        DeviceSlotPage* slot = window->deviceList().pageForKind(kind);
        return slot ? slot->page.data() : nullptr;
    }
    /// Clicks the page's tab (or sub-tab) `name` as the user does.
    static void choose(QWidget* page, const QString& name) {
        auto* tab = ui::findControl<QAbstractButton>(page, name);
        ASSERT_NE(tab, nullptr) << name.toStdString();
        tab->click();
        settle();
    }
    /// The buttons of the page that switch its tabs ("tab") or the parts of a tab ("subtab"), visible now.
    static QList<QAbstractButton*> tabs(QWidget* page, const char* role) {
        QList<QAbstractButton*> found;
        for (QAbstractButton* b : page->findChildren<QAbstractButton*>()) {
            if (b->isVisible() && b->property("role").toString() == QLatin1String(role)) found << b;
        }
        return found;
    }

    /// The macro list of the page's macro editor, with the rows it shows whole.
    static int macroRowsShown(QWidget* page) {
        auto* list = ui::findControl<QTableWidget>(page, QStringLiteral("macro_action_list"));
        if (!list || !list->isVisible()) return 0;
        return list->viewport()->height() / list->verticalHeader()->defaultSectionSize();
    }

    /// What the user cannot read whole on every tab and sub-tab of the page of `kind`, and in its key
    /// editor.
    std::set<std::string> clippedOnEveryTab(int kind) {
        std::set<std::string> clipped;
        ui::DevicePage* page = show(kind);
        if (!page) return {"no page of kind " + std::to_string(kind)};
        const auto look = [&](const QString& where) {
            for (const std::string& c : test::clippedTexts(window.get()))
                clipped.insert(where.toStdString() + ": " + c);
        };
        look(QStringLiteral("first tab"));
        for (QAbstractButton* tab : tabs(page, "tab")) {
            tab->click();
            settle();
            look(tab->objectName());
            for (QAbstractButton* part : tabs(page, "subtab")) {
                part->click();
                settle();
                look(tab->objectName() + QLatin1Char('/') + part->objectName());
            }
        }
        // The key editor, open on the first key.
        if (auto* mouse = qobject_cast<ui::MousePage*>(page)) mouse->KeyPicked(0);
        if (auto* keyboard = qobject_cast<ui::KeyboardPage*>(page)) keyboard->KeyPicked(0);
        settle();
        look(QStringLiteral("key editor"));
        return clipped;
    }

    test::TempDir folder;
    test::ScopedEnv dataHome{"XDG_DATA_HOME", (folder.path() / "data").string()};
    test::ScopedEnv configHome{"XDG_CONFIG_HOME", (folder.path() / "config").string()};
    test::ScopedEnv language{"HALVERN_LANGUAGE", GetParam()};
    emu::Emulator emulator{emu::EmulatorOptions{emu::Transport::InProcess, {}, {}}};
    ui::LayoutLoader loader;
    ui::LanguageTexts texts;
    std::unique_ptr<MainWindow> window;
};

TEST_P(PageLayoutTest, EveryEditorHasRoomAtTheDefaultAndMinimumSizes) {
    for (const QSize size : {MainWindow::kDefaultSize, MainWindow::kMinimumSize}) {
        SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
        resizeTo(size);
        for (int kind : {kMouse, kKeyboard}) {
            SCOPED_TRACE("kind " + std::to_string(kind));
            ui::DevicePage* page = show(kind);
            ASSERT_NE(page, nullptr);
            choose(page, QStringLiteral("macro_Op_tab"));
            EXPECT_GE(macroRowsShown(page), 8);

            choose(page, QStringLiteral("deng_Op_tab"));
            auto* editor = ui::findControl(page, QStringLiteral("light_control"));
            ASSERT_NE(editor, nullptr);
            EXPECT_TRUE(editor->isVisible());
            EXPECT_GE(editor->height(), editor->minimumSizeHint().height())
                << "the lighting panel is squeezed";
            // Every control of the panel lies inside the page, none cut off at its edge.
            for (const QWidget* part : editor->findChildren<QWidget*>()) {
                if (!part->isVisible()) continue;
                const QRect inPage(part->mapTo(page, QPoint(0, 0)), part->size());
                EXPECT_TRUE(page->rect().contains(inPage))
                    << part->objectName().toStdString() << " is cut off";
            }
            if (auto* scroll =
                    ui::findControl<QScrollArea>(page, QStringLiteral("keyboard_function_scroll"))) {
                EXPECT_EQ(scroll->verticalScrollBar()->maximum(), 0) << "the lighting panel needs scrolling";
            }
        }
    }
}

TEST_P(PageLayoutTest, NoTextIsCutOffAtTheDefaultAndMinimumSizes) {
    for (const QSize size : {MainWindow::kDefaultSize, MainWindow::kMinimumSize}) {
        resizeTo(size);
        for (int kind = 0; kind < static_cast<int>(kProducts.size()); ++kind) {
            const std::set<std::string> clipped = clippedOnEveryTab(kind);
            std::string all;
            for (const std::string& c : clipped) all += "\n  " + c;
            EXPECT_TRUE(clipped.empty())
                << size.width() << "x" << size.height() << ", kind " << kind << ":" << all;
        }
    }
}

std::string languageName(const ::testing::TestParamInfo<const char*>& param) {
    return std::string(param.param) == "en" ? "English" : "Chinese";
}
INSTANTIATE_TEST_SUITE_P(Languages, PageLayoutTest, ::testing::Values("en", "zh_CN"), languageName);

}  // namespace
}  // namespace halvern::app
