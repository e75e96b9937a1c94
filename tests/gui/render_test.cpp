#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QColor>
#include <QFile>
#include <QHBoxLayout>
#include <QImage>
#include <QMenu>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <cstdlib>

#include "gui_support.h"
#include "ui/controls/device_option.h"
#include "ui/controls/device_power.h"
#include "ui/controls/device_profile_control.h"
#include "ui/controls/image_cache.h"
#include "ui/toolkit/language_texts.h"
#include "ui/windows/about_window.h"
#include "ui/windows/message_box.h"

namespace halvern::ui::test {
namespace {

/// The main window as the program shows it with these devices attached and `page` selected; `page` empty
/// shows the no-device notice.
class Showcase {
public:
    explicit Showcase(const QString& page) {
        setImageFolder(skinFolder());
        QFile sheet(QDir(skinFolder()).filePath(QStringLiteral("halvern.qss")));
        if (sheet.open(QIODevice::ReadOnly)) qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
        m_texts.load(languageFile(QStringLiteral("en.json")));
        m_root.reset(m_loader.load(QStringLiteral("main_window.ui")));
        if (!m_root) return;
        auto* list = m_root->findChild<QWidget*>(QStringLiteral("device_select_layout"))->layout();
        auto* powers = m_root->findChild<QStackedWidget*>(QStringLiteral("device_power_switch"));
        auto* pages = m_root->findChild<QStackedWidget*>(QStringLiteral("device_switch"));
        const struct {
            uint16_t type;
            const char* name;
            const char* layout;
        } devices[] = {{2, "M2", "mouse_device.ui"},
                       {1, "K2", "keyboard_device.ui"},
                       {3, "Pad", "mousepad_device.ui"},
                       {7, "H6", "hs6533_device.ui"}};
        for (const auto& d : devices) {
            if (page.isEmpty()) break;
            auto* entry = new DeviceOption(m_loader);  // owned by the list once added
            entry->SetKind(d.type, 0);
            entry->SetName(QString::fromLatin1(d.name));
            entry->SetSynchro(d.type == 3);
            entry->Select(page == QLatin1String(d.layout));
            list->addWidget(entry);
            if (page != QLatin1String(d.layout)) continue;
            auto* power = new DevicePower(m_loader);  // owned by the stack
            power->SetType(d.type, 0);
            powers->addWidget(power);
            const std::array<uint8_t, 6> status{76, 0, 0, 1, 0, 1};
            power->ShowStatus(status);
            QWidget* content = m_loader.load(page);
            pages->addWidget(content);
            light(content);
        }
        m_root->findChild<QWidget*>(QStringLiteral("No_device_Link"))->setVisible(page.isEmpty());
        m_texts.apply(m_root.get());
        m_root->resize(1000, 640);
        m_root->show();
    }

    [[nodiscard]] QWidget* root() const { return m_root.get(); }
    [[nodiscard]] const LayoutLoader& loader() const { return m_loader; }
    [[nodiscard]] const LanguageTexts& texts() const { return m_texts; }

private:
    /// A rainbow across the picture, as the lighting preview shows one.
    static void light(QWidget* content) {
        auto* panel = content->findChild<SelectPanel*>();
        if (!panel) return;
        for (DeviceKeyButton* spot : spotsOf(*panel)) {
            const qreal x = qreal(spot->geometry().center().x()) / panel->minimumWidth();
            const QColor c = QColor::fromHsvF(std::fmod(x * 0.85 + 0.5, 1.0), 0.85, 1.0);
            const uint32_t bgr = uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16;
            spot->setLightColour(bgr, 150, !spot->property("userData").toString().isEmpty());
        }
    }

    LayoutLoader m_loader = makeLoader();
    LanguageTexts m_texts;
    std::unique_ptr<QWidget> m_root;
};

/// Saves a widget's picture as <HALVERN_SHOTS_DIR>/<name>@<scale>x.png.
void shoot(QWidget* w, const QString& name) {
    const QString folder = QString::fromLocal8Bit(std::getenv("HALVERN_SHOTS_DIR"));
    const QPixmap shot = w->grab();
    ASSERT_FALSE(shot.isNull());
    const QString scale = QString::number(qApp->devicePixelRatio());
    EXPECT_TRUE(shot.save(QDir(folder).filePath(name + QLatin1Char('@') + scale + QStringLiteral("x.png"))));
}

// Renders every page, the notice and the small windows for a person to look at; runs only when
// HALVERN_SHOTS_DIR names a folder (run it again with QT_SCALE_FACTOR=1.5 for the high-DPI look).
TEST(Render, PagesAndWindowsToPng) {
    if (std::getenv("HALVERN_SHOTS_DIR") == nullptr) GTEST_SKIP() << "HALVERN_SHOTS_DIR not set";
    for (const char* page :
         {"mouse_device.ui", "keyboard_device.ui", "mousepad_device.ui", "hs6533_device.ui", ""}) {
        Showcase window{QString::fromLatin1(page)};
        ASSERT_NE(window.root(), nullptr);
        QApplication::processEvents();
        shoot(window.root(), *page ? QString::fromLatin1(page).section(QLatin1Char('.'), 0, 0)
                                   : QStringLiteral("no_device"));
    }
    Showcase window{QString()};
    MessageBox box(window.loader(), window.texts(), window.root());
    box.setMessage(QStringLiteral("message_text_22"), true);
    box.setButtonMode(MessageBox::kConfirmCancel);
    box.show();
    QApplication::processEvents();
    shoot(&box, QStringLiteral("message_box"));
    AboutWindow about(window.loader(), window.texts(), window.root());
    about.show();
    QApplication::processEvents();
    shoot(&about, QStringLiteral("about"));
}

// The keyboard picture under full-strength lights, white and yellow among them, for a look at the legends.
TEST(Render, BrightKeysToPng) {
    if (std::getenv("HALVERN_SHOTS_DIR") == nullptr) GTEST_SKIP() << "HALVERN_SHOTS_DIR not set";
    Showcase window{QStringLiteral("keyboard_device.ui")};
    ASSERT_NE(window.root(), nullptr);
    auto* panel = window.root()->findChild<SelectPanel*>(QStringLiteral("keyboard_device_key_light"));
    ASSERT_NE(panel, nullptr);
    const uint32_t lights[] = {0xFFFFFF, 0x00FFFF, 0x00FF00, 0xFFFF00,
                               0x0080FF, 0x0000FF, 0xFF0000, 0xFF00FF};
    size_t i = 0;
    for (DeviceKeyButton* spot : spotsOf(*panel))
        spot->setLightColour(lights[i++ % std::size(lights)], 255, true);
    panel->update();
    QApplication::processEvents();
    shoot(panel, QStringLiteral("keyboard_bright_keys"));
}

// The profile row of a page and its open menu, over a fresh data folder.
TEST(Render, ProfileControlToPng) {
    if (std::getenv("HALVERN_SHOTS_DIR") == nullptr) GTEST_SKIP() << "HALVERN_SHOTS_DIR not set";
    Showcase window{QStringLiteral("mouse_device.ui")};
    ASSERT_NE(window.root(), nullptr);
    auto* control = window.root()->findChild<CDeviceProfileUI*>();
    ASSERT_NE(control, nullptr);
    QTemporaryDir folder;
    control->SetDeviceType(2);
    control->SetPaths(std::filesystem::path(folder.path().toStdString()),
                      std::filesystem::path(HALVERN_SOURCE_RESOURCES) / "DefaultData" / "mouse.Json");
    control->Init();
    ASSERT_TRUE(control->AddProfile());
    window.texts().apply(window.root());
    QApplication::processEvents();
    shoot(control, QStringLiteral("profile_row"));
    control->ShowMenu(true);
    QApplication::processEvents();
    shoot(control->menu(), QStringLiteral("profile_menu"));
    control->ShowMenu(false);

    // The settings tab: ticked, empty and disabled boxes, the chosen stage.
    auto* pages = window.root()->findChild<QStackedWidget*>(QStringLiteral("device_function_switch"));
    ASSERT_NE(pages, nullptr);
    pages->setCurrentIndex(3);
    for (int n = 0; n < 6; ++n) {
        auto* enable =
            window.root()->findChild<QAbstractButton*>(QStringLiteral("DPI_enable_check_%1").arg(n));
        auto* select =
            window.root()->findChild<QAbstractButton*>(QStringLiteral("DPI_select_check_%1").arg(n));
        if (!enable || !select) continue;
        enable->setChecked(n < 4);
        select->setChecked(n == 1);
        if (n == 5) enable->setEnabled(false);
    }
    QApplication::processEvents();
    shoot(window.root(), QStringLiteral("mouse_settings"));
}

}  // namespace
}  // namespace halvern::ui::test
