#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <functional>
#include <map>

#include "device/supported_devices.h"
#include "gui_support.h"
#include "ui/controls/device_option.h"
#include "ui/controls/key_set_control.h"
#include "ui/toolkit/language_texts.h"

namespace halvern::ui::test {
namespace {

QJsonDocument readJson(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QJsonDocument::fromJson(file.readAll());
}

QString defaultData(const char* name) {
    return resourceFolder() + QStringLiteral("/DefaultData/") + QLatin1String(name);
}

/// The language files the program offers: the "Language_file" of every entry of Language.config.
QStringList offeredLanguageFiles() {
    QStringList files;
    const QJsonArray languages =
        readJson(defaultData("Language.config")).object().value("Language").toArray();
    for (const QJsonValue& language : languages)
        files << language.toObject().value("Language_file").toString();
    return files;
}

/// Text ids with where they come from, for the failure messages.
using UsedIds = std::map<QString, QString>;

void addLayoutIds(UsedIds& used) {
    const QStringList layouts =
        QDir(skinFolder()).entryList({QStringLiteral("*.ui")}, QDir::Files, QDir::Name);
    ASSERT_GE(layouts.size(), 9);
    for (const QString& layout : layouts) {
        auto root = loadLayout(layout);
        ASSERT_NE(root, nullptr) << layout.toStdString();
        QList<QWidget*> widgets = root->findChildren<QWidget*>();
        widgets.prepend(root.get());
        for (QWidget* w : widgets) {
            for (const char* property : {"textId", "toolTipId"}) {
                const QString id = w->property(property).toString();
                if (!id.isEmpty()) used.emplace(id, layout + QLatin1Char('/') + w->objectName());
            }
        }
    }
}

/// Every string at `path` (object keys, "*" for each element of an array) inside `value`.
void collect(const QJsonValue& value, QStringList path, const std::function<void(const QString&)>& take) {
    if (path.isEmpty()) {
        if (value.isString()) take(value.toString());
        return;
    }
    const QString step = path.takeFirst();
    if (step == QLatin1String("*")) {
        for (const QJsonValue& element : value.toArray()) collect(element, path, take);
    } else {
        collect(value.toObject().value(step), path, take);
    }
}

void addDataIds(UsedIds& used) {
    // The shipped data files and where in them a text id stands.
    const struct {
        const char* file;
        const char* path;
    } places[] = {
        {"default_light.json", "DefaultLightName/*/*/LightName"},
        {"default_light.json", "AreaLightName/*/*/LightName"},
        {"Language.config", "Language/*/Language_text"},
    };
    for (const auto& place : places) {
        const QJsonDocument doc = readJson(defaultData(place.file));
        ASSERT_TRUE(doc.isObject()) << place.file;
        int found = 0;
        collect(doc.object(), QString::fromLatin1(place.path).split(QLatin1Char('/')),
                [&](const QString& id) {
                    ++found;
                    used.emplace(id, QString::fromLatin1(place.file));
                });
        EXPECT_GT(found, 0) << place.file << " " << place.path;
    }
}

void addProgramIds(UsedIds& used) {
    // Texts the program names in code: list entries, phone types, tray menu, message boxes, editors.
    for (const char* id : {"kb_device_name_text",
                           "ms_device_name_text",
                           "hard_mp_device_name_text",
                           "hd_device_name_text",
                           "unknow_device_name_text",
                           "Phone_type_iphone",
                           "Phone_type_samsung",
                           "Phone_type_other",
                           "Phone_type_no_device",
                           "tray_exit",
                           "tray_about",
                           "tray_settings",
                           "tray_show",
                           "message_text_2",
                           "message_text_4",
                           "message_text_5",
                           "message_text_6",
                           "message_text_7",
                           "message_text_16",
                           "message_text_22",
                           "message_text_25",
                           "software_rev_text",
                           CKeySetControlUI::kIncompleteTextId}) {
        used.emplace(QString::fromLatin1(id), QStringLiteral("program"));
    }
    for (const DeviceKindRow& kind : kDeviceKindTable) {
        used.emplace(KindDisplayTextId(kind.kindName), QStringLiteral("device kind"));
    }
    used.emplace(KindDisplayTextId("no such kind"), QStringLiteral("device kind"));
}

// Every language the program offers ships, and every shipped language is offered.
TEST(TextIds, LanguageListNamesTheShippedFiles) {
    const QStringList offered = offeredLanguageFiles();
    ASSERT_GE(offered.size(), 2);
    for (const QString& file : offered) {
        EXPECT_TRUE(QFile::exists(languageFile(file))) << file.toStdString() << " is offered but not shipped";
    }
    const QStringList shipped =
        QDir(resourceFolder() + QStringLiteral("/lang")).entryList({QStringLiteral("*.json")}, QDir::Files);
    for (const QString& file : shipped) {
        EXPECT_TRUE(offered.contains(file)) << file.toStdString() << " is shipped but not offered";
    }
}

// No user ever reads a raw text id: every id that a layout, a shipped data file or the program names has a
// text in every shipped language.
TEST(TextIds, EveryReachableIdHasATextInEveryLanguage) {
    UsedIds used;
    addLayoutIds(used);
    addDataIds(used);
    addProgramIds(used);
    EXPECT_GT(used.size(), 100u);

    const QStringList files = offeredLanguageFiles();
    ASSERT_GE(files.size(), 2);
    QList<qsizetype> sizes;
    for (const QString& file : files) {
        LanguageTexts texts;
        ASSERT_TRUE(texts.load(languageFile(file))) << file.toStdString();
        sizes << texts.size();
        for (const auto& [id, where] : used) {
            EXPECT_TRUE(texts.contains(id))
                << id.toStdString() << " (" << where.toStdString() << ") in " << file.toStdString();
        }
        // Filled in with printf- and Qt-style conversions.
        EXPECT_EQ(texts.text(QStringLiteral("message_text_16")).count(QStringLiteral("%d")), 1)
            << file.toStdString();
    }
    EXPECT_EQ(QSet<qsizetype>(sizes.begin(), sizes.end()).size(), 1)
        << "the language files name different ids";
}

}  // namespace
}  // namespace halvern::ui::test
