#pragma once
// The running main window over an emulator, for the tests of one device page: every test gets its own data
// folder (so it starts from the shipped profile) and a capture of every report.

#include <gtest/gtest.h>

#include <QString>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/main_window.h"
#include "emulator/emulator.h"
#include "gui_wait.h"
#include "temp_env.h"
#include "ui/controls/control_registry.h"

namespace halvern::app {

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
    void TearDown() override { window.reset(); }

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
};

}  // namespace halvern::app
