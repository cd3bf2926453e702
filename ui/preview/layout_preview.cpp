// Renders one layout of the skin package to a PNG without a display: windows as they open
// (with their drop shadow over a plain desktop colour), menu layouts as an open menu.
//
//   vita-layout-preview [--skin FOLDER] [--hot ITEM] [--size WxH] LAYOUT OUT.png
//
// --size gives a layout without a size of its own (a page, a panel) the size its host gives it,
// or a full-screen window the size of a screen.

#include <QApplication>
#include <QCommandLineParser>
#include <QPainter>
#include <cstdio>

#include "ui/circle_slider.h"
#include "ui/layout_builder.h"
#include "ui/menu.h"
#include "ui/skin_package.h"
#include "ui/skin_paint.h"
#include "ui/window_base.h"

namespace {

// Any window: the layout with the toolkit's own custom controls and the other custom elements
// (the pages of another window) left empty, as a designer sees it.
class PreviewWindow : public ui::WindowBase {
  public:
    explicit PreviewWindow(QString file) : file_(std::move(file)) {}
    QString LayoutFile() const override { return file_; }
    ui::Control* CreateControl(const QString& tag) override {
        if (tag == QLatin1String("CircleSlider")) return new CCircleSliderUI;
        return nullptr;
    }

  private:
    QString file_;
};

QImage WithShadow(const QImage& client, const ui::WindowSettings& settings) {
    const QMargins m = settings.shadowCorner.ToMargins();
    const QMargins pad(24, 24, 24, 24);
    QImage canvas(client.size().grownBy(m + pad), QImage::Format_ARGB32_Premultiplied);
    canvas.fill(QColor(0xE4, 0xE9, 0xEC));
    QPainter painter(&canvas);
    if (!settings.shadowImage.isEmpty()) {
        ui::SkinImage shadow;
        shadow.file = settings.shadowImage;
        shadow.corner = settings.shadowCorner;
        ui::DrawSkinImage(painter, canvas.rect().marginsRemoved(pad), shadow,
                          ui::SkinPackage::Current());
    }
    painter.drawImage(pad.left() + m.left(), pad.top() + m.top(), client);
    return canvas;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ui::InstallFontSubstitutions();
    QCommandLineParser parser;
    parser.addOption({"skin", "Read layouts and images from FOLDER.", "FOLDER"});
    parser.addOption({"hot", "Show menu item ITEM as hovered.", "ITEM"});
    parser.addOption({"size", "Size the window WxH (a page as its host sizes it).", "WxH"});
    parser.addPositionalArgument("layout", "Layout file of the skin package.");
    parser.addPositionalArgument("out", "PNG file to write.");
    parser.addHelpOption();
    parser.process(app);
    const QStringList args = parser.positionalArguments();
    if (args.size() != 2) parser.showHelp(2);
    if (parser.isSet("skin"))
        ui::SkinPackage::Install(ui::SkinPackage::FromFolder(parser.value("skin")));

    QString error;
    const std::optional<ui::LayoutDocument> doc = ui::LayoutBuilder::Load(args[0], &error);
    if (!doc) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const ui::WindowSettings settings = ui::ReadWindowSettings(doc->windowAttributes);
    QImage shot;
    if (doc->root.tag == QLatin1String("Menu")) {
        ui::MenuWnd* menu = ui::MenuWnd::CreateMenu(nullptr, args[0], QPoint(40, 40));
        if (!menu) return 1;
        if (ui::MenuElement* hot = menu->Item(parser.value("hot"))) hot->SetHot(true);
        QCoreApplication::processEvents();
        shot = menu->grab(menu->ClientRect()).toImage();
    } else {
        PreviewWindow window(args[0]);
        if (!window.Create(nullptr)) {
            std::fprintf(stderr, "%s\n", qPrintable(window.ErrorText()));
            return 1;
        }
        if (parser.isSet("size")) {
            const std::optional<QSize> size =
                ui::ParseSize(parser.value("size").replace(QLatin1Char('x'), QLatin1Char(',')));
            if (!size || size->isEmpty()) {
                std::fprintf(stderr, "--size wants WxH, such as 350x424\n");
                return 2;
            }
            window.setMinimumSize(0, 0);
            window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            window.resize(*size +
                          QSize(window.ShadowMargins().left() + window.ShadowMargins().right(),
                                window.ShadowMargins().top() + window.ShadowMargins().bottom()));
        }
        window.show();
        QCoreApplication::processEvents();
        shot = window.grab(window.ClientRect()).toImage();
    }
    if (!WithShadow(shot, settings).save(args[1])) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args[1]));
        return 1;
    }
    return 0;
}
