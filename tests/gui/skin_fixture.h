#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <map>

#include "ui/skin_package.h"
#include "ui/window_base.h"

// A throw-away skin folder installed as the current package, and a window counting its OnInit.
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
    int inits = 0;

  protected:
    void OnInit() override { ++inits; }

  private:
    QString layout_;
};
