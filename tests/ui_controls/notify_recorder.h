#pragma once

#include <QObject>
#include <QString>
#include <vector>

namespace halvern::ui::test {

/// Records the notifications a control raises through its notify signal.
struct Recorded {
    QString type;
    qintptr wParam = 0;
    qintptr lParam = 0;
};

template <typename Control>
class NotifyRecorder {
public:
    explicit NotifyRecorder(Control& control) {
        QObject::connect(&control, &Control::notify, &control,
                         [this](const QString& type, qintptr w, qintptr l) {
                             m_seen.push_back({type, w, l});
                         });
    }
    [[nodiscard]] const std::vector<Recorded>& seen() const { return m_seen; }
    [[nodiscard]] int count(const QString& type) const {
        int n = 0;
        for (const Recorded& r : m_seen) n += r.type == type ? 1 : 0;
        return n;
    }

private:
    std::vector<Recorded> m_seen;
};

}  // namespace halvern::ui::test
