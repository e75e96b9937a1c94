#include "ui/toolkit/deferred_section.h"

#include <QEvent>
#include <QWidget>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "ui/toolkit/layout_loader.h"

namespace halvern::ui {
namespace {

constexpr char kMark[] = "buildOnShow";

// A <widget> element open while the markup is read.
struct OpenWidget {
    qsizetype depth = 0;
    bool marked = false;
    QString name;
};

}  // namespace

// One pass over the markup copies every token to the layout, except the children of a marked widget,
// which go to that part's own markup. Designer writes a widget's properties before its children, so the
// mark is known before the first child comes.
SplitLayout splitDeferredParts(const QString& markup) {
    SplitLayout split;
    QXmlStreamReader reader(markup);
    QXmlStreamWriter layout(&split.layout);
    QString partText;
    QStringList partWidgets;
    QXmlStreamWriter part(&partText);
    QXmlStreamWriter shared(&split.shared);
    std::vector<OpenWidget> open;
    qsizetype depth = 0;
    qsizetype markDepth = -1;    // depth of the mark property being read
    qsizetype partDepth = -1;    // depth of the widget whose children go to `part`
    qsizetype sharedDepth = -1;  // depth of the custom widget list being copied
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            const QStringView tag = reader.name();
            const bool childOfWidget = !open.empty() && open.back().depth == depth - 1;
            if (depth == 2 && tag == QLatin1String("customwidgets")) sharedDepth = depth;
            if (childOfWidget && partDepth < 0 && tag == QLatin1String("property") &&
                reader.attributes().value(QLatin1String("name")) == QLatin1String(kMark)) {
                markDepth = depth;
            } else if (childOfWidget && partDepth < 0 && open.back().marked && !open.back().name.isEmpty() &&
                       tag != QLatin1String("property") && tag != QLatin1String("attribute")) {
                partDepth = depth - 1;
                partText.clear();
                partWidgets.clear();
            }
            if (tag == QLatin1String("widget")) {
                open.push_back({depth, false, reader.attributes().value(QLatin1String("name")).toString()});
                if (partDepth >= 0 && !open.back().name.isEmpty()) partWidgets.push_back(open.back().name);
            }
        } else if (token == QXmlStreamReader::Characters && markDepth >= 0 && depth > markDepth) {
            if (reader.text().trimmed() == QLatin1String("true")) open.back().marked = true;
        }
        const bool toPart = partDepth >= 0 && !(token == QXmlStreamReader::EndElement && depth == partDepth);
        (toPart ? part : layout).writeCurrentToken(reader);
        if (sharedDepth >= 0) shared.writeCurrentToken(reader);
        if (token == QXmlStreamReader::EndElement) {
            if (depth == markDepth) markDepth = -1;
            if (depth == sharedDepth) sharedDepth = -1;
            if (!open.empty() && open.back().depth == depth) {
                if (depth == partDepth) {
                    split.parts.push_back({open.back().name, partText, partWidgets});
                    partDepth = -1;
                }
                open.pop_back();
            }
            --depth;
        }
    }
    if (reader.hasError()) return {markup, {}, {}};
    return split;
}

DeferredSection::DeferredSection(const LayoutLoader& loader, QWidget& section, QString markup,
                                 QStringList widgets)
    : QObject(&section), m_loader(loader), m_markup(std::move(markup)), m_widgets(std::move(widgets)) {
    setObjectName(QStringLiteral("deferred_section"));
    section.installEventFilter(this);
}

DeferredSection* DeferredSection::of(const QWidget* section) {
    return section ? section->findChild<DeferredSection*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

std::vector<DeferredSection*> DeferredSection::pendingUnder(const QWidget* root) {
    std::vector<DeferredSection*> pending;
    if (!root) return pending;
    for (DeferredSection* part : root->findChildren<DeferredSection*>()) {
        if (!part->built()) pending.push_back(part);
    }
    return pending;
}

QWidget* DeferredSection::section() const {
    return static_cast<QWidget*>(parent());  // made with its widget as parent, never moved
}

bool DeferredSection::build() {
    if (m_built) return false;
    m_built = true;
    QWidget* target = section();
    target->removeEventFilter(this);
    const QString markup = std::exchange(m_markup, QString());
    if (!m_loader.buildInto(*target, markup)) return false;
    emit sectionBuilt(target);
    return true;
}

bool DeferredSection::holds(const QString& name) const {
    return !m_built && m_widgets.contains(name);
}

bool DeferredSection::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched == parent()) build();
    return QObject::eventFilter(watched, event);
}

}  // namespace halvern::ui
