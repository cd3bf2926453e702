#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <map>

#include "ui/skin_package.h"
#include "ui/window_base.h"

// A throw-away skin folder installed as the current package, and a window recording what it
// is told.
class SkinFixture {
  public:
    void Write(const QString& name, const QByteArray& content) {
        QFile f(dir_.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    void Install() { ui::SkinPackage::Install(ui::SkinPackage::FromFolder(dir_.path())); }
    QString Path() const { return dir_.path(); }

  private:
    QTemporaryDir dir_;
};

class RecordingWindow : public ui::WindowBase {
  public:
    explicit RecordingWindow(QString layout) : layout_(std::move(layout)) {}
    QString LayoutFile() const override { return layout_; }
    void Notify(const ui::Notification& msg) override {
        log << msg.type + ":" + msg.SenderName() + ":" + QString::number(msg.wParam);
    }
    bool HandleWindowMessage(ui::WindowMessage* msg) override {
        log << QString("message:%1:%2").arg(int(msg->type())).arg(msg->text());
        return true;
    }
    int Count(const QString& entry) const { return int(log.count(entry)); }
    QStringList log;

  private:
    QString layout_;
};
