#include "ui/windows/settings_window.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "device/debug_sink.h"
#include "device/executor.h"
#include "profile/data_folders.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/toolkit/language_texts.h"
#include "ui/toolkit/layout_loader.h"
#include "ui/windows/window_drag.h"
#include "update/update_settings.h"

namespace halvern::ui {
namespace {

QString fromStd(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString idOf(std::string_view id) {
    return QString::fromLatin1(id.data(), static_cast<qsizetype>(id.size()));
}

// Text colours of the item states: blue while something is offered or going on, white when up to date;
// grey for what cannot be chosen.
QString stateColour(UpdateState state) {
    if (state == UpdateState::Checking || state == UpdateState::NoAnswer) return QStringLiteral("#999999");
    return state == UpdateState::UpToDate ? QStringLiteral("#FFFFFF") : QStringLiteral("#0099FF");
}

}  // namespace

SettingsWindow::SettingsWindow(const LayoutLoader& loader, const LanguageTexts& texts, Executor& uiThread,
                               SettingsWindowSetup setup, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint),
      m_texts(texts),
      m_loader(loader),
      m_uiThread(uiThread),
      m_setup(std::move(setup)) {
    setObjectName(QStringLiteral("SetWnd"));
    setAttribute(Qt::WA_TranslucentBackground);
    resize(kSize);
    auto* layout = new QVBoxLayout(this);  // owned by the window
    layout->setContentsMargins(0, 0, 0, 0);
    m_content = loader.load(QStringLiteral("setwnd.ui"), this);
    if (!m_content) m_content = new QWidget(this);  // a window without its layout still closes
    layout->addWidget(m_content);
    m_languages = findControl<QComboBox>(m_content, QStringLiteral("Language_combox_info"));
    m_list = findControl<QListWidget>(m_content, QStringLiteral("update_list"));
    m_statusText = findControl<QLabel>(m_content, QStringLiteral("Update_Status_text"));
    m_statusRing = findControl(m_content, QStringLiteral("update_status_ring"));
    m_statusImage = findControl(m_content, QStringLiteral("update_status_image"));
    m_update = findControl<QAbstractButton>(m_content, QStringLiteral("update_fw_and_ap"));
    m_pages = findControl<QStackedWidget>(m_content, QStringLiteral("get_update_tab_layout"));
    if (QWidget* titleBar = findControl(m_content, QStringLiteral("title_bar"))) new WindowDrag(titleBar);

    const auto connectButton = [this](const char* name, auto slot) {
        if (auto* b = findControl<QAbstractButton>(m_content, QString::fromLatin1(name)))
            connect(b, &QAbstractButton::clicked, this, slot);
    };
    connectButton("closebtn", [this] { closeFromButton(); });
    connectButton("laterbtn", [this] { closeFromButton(); });
    connectButton("minbtn", [this] { showMinimized(); });
    connectButton("maxbtn", [this] { showMaximized(); });
    connectButton("restorebtn", [this] { showNormal(); });
    connectButton("update_fw_and_ap", [this] {
        if (m_pages) m_pages->setCurrentIndex(1);
    });
    connectButton("update_OK_btn", [this] { markChosen(); });
    if (m_languages) {
        connect(m_languages, &QComboBox::activated, this, [this](int index) { emit languageChosen(index); });
    }
    if (m_update) {
        m_update->setEnabled(false);
        m_update->hide();
    }

    fillLanguages();
    m_start = std::make_unique<StartSection>(m_content, loader, texts, m_setup.start, this);
    m_rgb = std::make_unique<RgbSection>(m_content, loader, texts, m_setup.rgb, this);
    m_texts.apply(m_content);
    setWindowTitle(m_content->windowTitle());
    m_lastDate = fromStd(ReadOrStartLastCheckDate(m_setup.lastCheckFile));
    startCheck();
}

SettingsWindow::~SettingsWindow() {
    *m_alive = false;
    stopCheck();
}

void SettingsWindow::fillLanguages() {
    if (!m_languages) return;
    const QSignalBlocker quiet(m_languages);
    m_languages->clear();
    for (const LanguageEntry& language : m_setup.languages)
        m_languages->addItem(m_texts.text(fromStd(language.textId)));
    m_languages->setCurrentIndex(m_setup.languageIndex);
}

void SettingsWindow::showLanguage(int index) {
    m_setup.languageIndex = index;
    if (!m_languages) return;
    const QSignalBlocker quiet(m_languages);
    m_languages->setCurrentIndex(index);
}

void SettingsWindow::startCheck() {
    const std::vector<CheckEntry> entries = EntriesToCheck(m_setup.entries);
    m_items.assign(entries.size(), CheckItem{});
    m_itemWidgets.assign(entries.size(), nullptr);
    showStatus(CheckStatus::Checking);
    if (m_setup.serverAddress.empty()) {
        // Nobody to ask: the entries show what is installed, and the window says why nothing was checked.
        m_noServer = true;
        for (size_t k = 0; k < entries.size(); ++k) addItem(k, InitialItem(entries[k]));
        checkFinishedWith(CheckStatus::NoServer);
        return;
    }
    // The worker hands every change to the window's thread; what arrives after the window went is dropped.
    const auto post = [this, alive = m_alive](std::function<void()> change) {
        m_uiThread.post([alive, change = std::move(change)] {
            if (*alive) change();
        });
    };
    m_worker.start([this, post, entries, server = m_setup.serverAddress,
                    dateFile = m_setup.lastCheckFile](std::stop_token stop) {
        CheckListener listener;
        listener.itemAdded = [this, post](size_t k, const CheckItem& item) {
            post([this, k, item] { addItem(k, item); });
        };
        listener.itemChecked = [this, post](size_t k, const CheckItem& item) {
            post([this, k, item] {
                m_items[k] = item;
                showItem(k);
            });
        };
        listener.checked = [&dateFile] {
            if (!WriteLastCheckDate(dateFile, TodayText()))
                debugLog("update check: cannot write " + dateFile.string());
        };
        HttpClient client;
        const CheckStatus status = RunUpdateCheck(entries, server, client, listener, stop);
        if (!stop.stop_requested()) post([this, status] { checkFinishedWith(status); });
    });
}

void SettingsWindow::stopCheck() {
    if (!m_worker.running()) return;
    if (!m_worker.stop(kStopBound)) debugLog("update check: the worker overran its stop bound");
}

void SettingsWindow::addItem(size_t index, const CheckItem& item) {
    if (index >= m_items.size() || !m_list) return;
    m_items[index] = item;
    QWidget* row = m_loader.load(QStringLiteral("device_update_list_item.ui"), m_list);
    if (!row) return;
    auto* listItem = new QListWidgetItem;  // owned by the list
    listItem->setSizeHint(QSize(0, 50));
    m_list->insertItem(static_cast<int>(index), listItem);
    m_list->setItemWidget(listItem, row);
    m_itemWidgets[index] = row;
    if (auto* option = findControl<QCheckBox>(row, QStringLiteral("check_name_select")))
        connect(option, &QCheckBox::toggled, this, [this] { choiceChanged(); });
    if (auto* link = findControl<QAbstractButton>(row, QStringLiteral("update_download_link"))) {
        connect(link, &QAbstractButton::clicked, this, [this, index] {
            const std::string& address = m_items[index].downloadAddress;
            if (IsWebAddress(address)) QDesktopServices::openUrl(QUrl(fromStd(address), QUrl::StrictMode));
        });
    }
    showItem(index);
}

QWidget* SettingsWindow::itemWidget(size_t index) const {
    return index < m_itemWidgets.size() ? m_itemWidgets[index].data() : nullptr;
}

// Shows an item as its record says: name, versions, state text, progress or done mark, and whether its
// option can be chosen.
void SettingsWindow::showItem(size_t index) {
    QWidget* row = itemWidget(index);
    if (!row) return;
    const CheckItem& item = m_items[index];
    const UpdateStateLook& look = LookOf(item.state);
    if (auto* option = findControl<QCheckBox>(row, QStringLiteral("check_name_select"))) {
        const QSignalBlocker quiet(option);
        option->setText(fromStd(item.name));
        option->setEnabled(look.selectable);
        option->setChecked(item.selected && look.selectable);
        option->setStyleSheet(
            item.state == UpdateState::UpToDate
                ? QStringLiteral("QCheckBox { color: #FFFFFF; } QCheckBox:disabled { color: #666666; }")
                : QStringLiteral("QCheckBox:disabled { color: #666666; }"));
    }
    if (auto* old = findControl<QLabel>(row, QStringLiteral("OldRev")))
        old->setText(fromStd(item.installedText));
    if (auto* offered = findControl<QLabel>(row, QStringLiteral("updateRev"))) {
        const QString text = item.state == UpdateState::UpToDate ? QString() : fromStd(item.offeredText);
        offered->setText(text);
        offered->setVisible(!text.isEmpty());
    }
    if (auto* state = findControl<QLabel>(row, QStringLiteral("update_status_text"))) {
        state->setProperty("textId", idOf(look.textId));
        state->setStyleSheet(QStringLiteral("color: %1;").arg(stateColour(item.state)));
        // Without a server nothing was checked: no entry claims to be up to date.
        state->setVisible(!m_noServer);
    }
    if (QWidget* progress = findControl(row, QStringLiteral("update_status_ing")))
        progress->setVisible(look.progress);
    if (QWidget* value = findControl(row, QStringLiteral("update_progress_value")))
        value->setVisible(look.progress);
    if (QWidget* done = findControl(row, QStringLiteral("update_status_ok")))
        done->setVisible(look.doneMark && !m_noServer);
    if (auto* link = findControl<QAbstractButton>(row, QStringLiteral("update_download_link"))) {
        const bool marked = item.state == UpdateState::DownloadWait && IsWebAddress(item.downloadAddress);
        link->setVisible(marked);
        link->setToolTip(fromStd(item.downloadAddress));
    }
    m_texts.apply(row);
}

void SettingsWindow::checkFinishedWith(CheckStatus status) {
    m_finished = true;
    m_lastDate = fromStd(ReadOrStartLastCheckDate(m_setup.lastCheckFile));
    const bool offered = status == CheckStatus::UpdatesFound;
    if (m_update) {
        m_update->setEnabled(offered);
        m_update->setVisible(offered);
    }
    showStatus(status);
    if (status == CheckStatus::AllCurrent) emit allCurrent();
}

void SettingsWindow::showStatus(CheckStatus status) {
    m_status = status;
    if (m_statusRing) m_statusRing->setVisible(status == CheckStatus::Checking);
    // The tick stands for "up to date" only: a check that reached nobody, or only some, shows none.
    if (m_statusImage) m_statusImage->setVisible(status == CheckStatus::AllCurrent);
    if (!m_statusText) return;
    QString text = m_texts.text(idOf(kCheckStatusTextIds[static_cast<size_t>(status)]));
    if (status == CheckStatus::AllCurrent) text += m_lastDate;
    if (status == CheckStatus::NoServer && m_noServer)
        text = m_texts.text(QStringLiteral("update_no_server_text"));
    m_statusText->setText(text);
}

QString SettingsWindow::statusText() const {
    return m_statusText ? m_statusText->text() : QString();
}

void SettingsWindow::choiceChanged() {
    bool any = false;
    for (size_t k = 0; k < m_items.size(); ++k) {
        const auto* option = itemWidget(k)
                                 ? findControl<QCheckBox>(itemWidget(k), QStringLiteral("check_name_select"))
                                 : nullptr;
        m_items[k].selected = option && option->isChecked();
        any = any || m_items[k].selected;
    }
    if (m_update) {
        m_update->setEnabled(any);
        m_update->setVisible(any);
    }
}

// Chosen items offering an update wait for their download; the others can no longer be chosen.
void SettingsWindow::markChosen() {
    for (size_t k = 0; k < m_items.size(); ++k) {
        CheckItem& item = m_items[k];
        if (item.state != UpdateState::NeedUpdate && item.state != UpdateState::NeedUpdateToo) continue;
        if (item.selected) item.state = UpdateState::DownloadWait;
        showItem(k);
        if (!item.selected && itemWidget(k)) {
            if (auto* option = findControl<QCheckBox>(itemWidget(k), QStringLiteral("check_name_select")))
                option->setEnabled(false);
        }
    }
    if (m_update) m_update->setEnabled(false);
    if (m_pages) m_pages->setCurrentIndex(0);
}

void SettingsWindow::installerMessage(qlonglong wParam, qlonglong lParam) {
    const auto underWay = std::find_if(m_items.begin(), m_items.end(), [](const CheckItem& item) {
        return item.state == UpdateState::Downloading || item.state == UpdateState::Updating;
    });
    if (underWay == m_items.end()) return;
    const auto index = static_cast<size_t>(underWay - m_items.begin());
    switch (wParam) {
        case 1:
            underWay->state =
                underWay->state == UpdateState::Downloading ? UpdateState::Downloaded : UpdateState::UpToDate;
            break;
        case 2:
        case 3:
            underWay->state = UpdateState::UpdateFailed;
            break;
        case 4:
            if (QWidget* row = itemWidget(index)) {
                if (auto* value = findControl<QLabel>(row, QStringLiteral("update_progress_value")))
                    value->setText(QStringLiteral("%1%").arg(std::clamp<qlonglong>(lParam, 0, 100)));
            }
            return;
        default:
            return;
    }
    showItem(index);
}

// A download or installation under way holds the window open. Items only marked for update do not: this
// program downloads nothing, so they would hold it open for good.
bool SettingsWindow::busy() const {
    return std::any_of(m_items.begin(), m_items.end(), [](const CheckItem& item) {
        return item.state == UpdateState::Downloading || item.state == UpdateState::Updating;
    });
}

void SettingsWindow::closeFromButton() {
    m_closingByButton = true;
    close();
    m_closingByButton = false;
}

void SettingsWindow::closeEvent(QCloseEvent* event) {
    if (busy()) {
        event->ignore();
        return;
    }
    stopCheck();
    QDialog::closeEvent(event);
    if (!m_closingByButton) emit programEndRequested();
}

void SettingsWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        const bool maximised = isMaximized();
        if (QWidget* max = findControl(m_content, QStringLiteral("maxbtn"))) max->setVisible(!maximised);
        if (QWidget* restore = findControl(m_content, QStringLiteral("restorebtn")))
            restore->setVisible(maximised);
    }
    QDialog::changeEvent(event);
}

void SettingsWindow::retranslate() {
    m_texts.apply(m_content);
    setWindowTitle(m_content->windowTitle());
    fillLanguages();
    showStatus(m_status);
}

}  // namespace halvern::ui
