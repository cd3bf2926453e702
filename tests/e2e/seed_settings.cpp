// Stores settings into the store of a data folder, as the program would keep them, including
// values its combos do not offer (a break of 0 minutes); for scripts/live-screenshots.
//   vita-seed-settings DATA_HOME KEY=VALUE...     (KEY as stored: bRemindFullScreen,
//   nRelaxMinute...)

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <cstdio>

#include "data/settings_store.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    static const QRegularExpression setting(QStringLiteral("^([bn][A-Za-z]+)=(-?\\d+)$"));
    bool ok = args.size() >= 3;
    for (qsizetype i = 2; ok && i < args.size(); ++i) ok = setting.match(args[i]).hasMatch();
    if (!ok) {
        std::fprintf(stderr, "usage: vita-seed-settings DATA_HOME KEY=VALUE...\n");
        return 2;
    }
    qputenv("XDG_DATA_HOME", QFile::encodeName(QDir(args[1]).absolutePath()));
    if (!SettingsStore::OpenSettings()) {
        std::fprintf(stderr, "vita-seed-settings: cannot open the store below %s\n",
                     qPrintable(args[1]));
        return 1;
    }
    for (qsizetype i = 2; i < args.size(); ++i) {
        const QRegularExpressionMatch m = setting.match(args[i]);
        if (!SettingsStore::WriteIntSetting(m.captured(1).toLatin1().constData(),
                                            m.captured(2).toInt())) {
            std::fprintf(stderr, "vita-seed-settings: %s was not stored\n", qPrintable(args[i]));
            ok = false;
        }
    }
    SettingsStore::CloseSettings();
    return ok ? 0 : 1;
}
