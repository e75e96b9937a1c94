#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QRegularExpression>
#include <map>

#include "gui_support.h"
#include "lighting/keyboard_layout.h"

namespace halvern::ui::test {
namespace {

class KeyboardPicture : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = loadLayout(QStringLiteral("keyboard_device.ui"));
        ASSERT_NE(m_root, nullptr);
        m_panel = m_root->findChild<SelectPanel*>(QStringLiteral("keyboard_device_key_light"));
        ASSERT_NE(m_panel, nullptr);
        static const QRegularExpression keyName(QStringLiteral("^key_(\\d+)$"));
        for (DeviceKeyButton* spot : spotsOf(*m_panel)) {
            const auto m = keyName.match(spot->objectName());
            if (m.hasMatch()) m_keys[m.captured(1).toInt()] = spot;
        }
    }

    [[nodiscard]] DeviceKeyButton* shown(int key) const {
        const auto it = m_keys.find(key);
        return it == m_keys.end() || it->second->isHidden() ? nullptr : it->second;
    }

    std::unique_ptr<QWidget> m_root;
    SelectPanel* m_panel = nullptr;
    std::map<int, DeviceKeyButton*> m_keys;
};

TEST_F(KeyboardPicture, HasOneSpotPerLogicalKeyLitByTheSameNumber) {
    ASSERT_EQ(m_keys.size(), keyboard::kKeyCount);
    EXPECT_EQ(m_keys.begin()->first, 0);
    EXPECT_EQ(m_keys.rbegin()->first, 169);
    for (const auto& [key, spot] : m_keys) {
        EXPECT_EQ(spot->property("userData").toString(), QStringLiteral("light_%1").arg(key));
    }
}

TEST_F(KeyboardPicture, HiddenSpotsAreOnlyNumbersWithoutAPlaceAndNoDragReachesThem) {
    const QRect picture(QPoint(0, 0), m_panel->minimumSize());
    int shownCount = 0;
    for (const auto& [key, spot] : m_keys) {
        if (spot->isHidden()) {
            EXPECT_FALSE(picture.intersects(spot->geometry()))
                << "hidden key_" << key << " lies on the picture";
        } else {
            ++shownCount;
            EXPECT_TRUE(keyboard::placeOf(static_cast<uint8_t>(key)).has_value())
                << "key_" << key << " has no place";
        }
    }
    // A full-size board, its Fn key, five macro keys and the two function keys of the board.
    EXPECT_EQ(shownCount, 104 + 1 + 5 + 2);
}

TEST_F(KeyboardPicture, SpotsFollowTheKeyMatrixLeftToRightAndTopToBottom) {
    // Within each matrix row the shown keys run left to right in column order.
    for (int row = 0; row < static_cast<int>(keyboard::kRows); ++row) {
        const DeviceKeyButton* previous = nullptr;
        for (int column = 0; column < static_cast<int>(keyboard::kColumns); ++column) {
            const uint8_t key = keyboard::keyAt(column, row);
            const DeviceKeyButton* spot = key == keyboard::kNoKey ? nullptr : shown(key);
            if (!spot) continue;
            if (previous) {
                EXPECT_LT(previous->geometry().center().x(), spot->geometry().center().x())
                    << previous->objectName().toStdString() << " before " << spot->objectName().toStdString();
            }
            previous = spot;
        }
    }
    // Rows of the main block and the number pad lie below one another.
    const std::array<int, 6> firstColumnKeys{0, 22, 43, 64, 85, 105};  // Esc, 1, Q, A, Z, left Ctrl
    for (std::size_t i = 1; i < firstColumnKeys.size(); ++i) {
        EXPECT_LT(shown(firstColumnKeys[i - 1])->geometry().bottom(),
                  shown(firstColumnKeys[i])->geometry().top());
    }
}

TEST_F(KeyboardPicture, CapsCarryTheLegendsOfTheirDefaultCodes) {
    // Logical key → the key its default HID usage names.
    const std::map<int, QString> legends{
        {0, "Esc"},     {1, "F1"},   {12, "F12"},   {21, "`"},     {22, "1"},   {31, "0"},
        {34, "Back"},   {42, "Tab"}, {43, "Q"},     {63, "Caps"},  {64, "A"},   {75, "Enter"},
        {84, "Shift"},  {85, "Z"},   {95, "Shift"}, {105, "Ctrl"}, {110, "Fn"}, {116, "0"},
        {118, "Enter"}, {119, "+"},  {120, "M1"},   {124, "M5"},   {16, "GM"}};
    for (const auto& [key, legend] : legends) {
        ASSERT_NE(shown(key), nullptr) << key;
        EXPECT_EQ(shown(key)->text(), legend) << "key_" << key;
    }
    // Wide keys are wide: space bar, shifts, enter; the pad's plus and enter are two rows tall.
    EXPECT_GT(shown(108)->width(), 6 * shown(64)->width());
    EXPECT_GT(shown(95)->width(), shown(84)->width());
    EXPECT_GT(shown(119)->height(), 2 * shown(77)->height());
}

TEST_F(KeyboardPicture, DragSelectsExactlyTheKeysItCrosses) {
    m_root->resize(968, 500);
    m_root->show();
    // A drag across Q W E selects those three and no hidden spot, whatever was selected before.
    shown(0)->setSelectedKey(true);
    const QPoint from = shown(43)->geometry().center();
    const QPoint to = shown(45)->geometry().center();
    QMouseEvent press(QEvent::MouseButtonPress, from, m_panel->mapToGlobal(from), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, to, m_panel->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, to, m_panel->mapToGlobal(to), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_panel, &press);
    QCoreApplication::sendEvent(m_panel, &move);
    QCoreApplication::sendEvent(m_panel, &release);
    std::vector<int> selected;
    for (const auto& [key, spot] : m_keys) {
        if (spot->isSelectedKey()) selected.push_back(key);
    }
    EXPECT_EQ(selected, (std::vector<int>{43, 44, 45}));
}

}  // namespace
}  // namespace halvern::ui::test
