#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QString>
#include <memory>

// The layouts and images every window is built from: one zip packed from res/client at build
// time and carried inside the executable, or, for designers and tests, a plain folder.
// Entries are found by name without regard to letter case; images are decoded once.
namespace ui {

class SkinPackage {
  public:
    // The package embedded in the executable (empty when the program was built without one).
    static std::shared_ptr<SkinPackage> Embedded();
    static std::shared_ptr<SkinPackage> FromZipData(const QByteArray& zip);
    static std::shared_ptr<SkinPackage> FromFolder(const QString& folder);

    // The package windows read from: the embedded one unless another was installed.
    static SkinPackage& Current();
    static void Install(std::shared_ptr<SkinPackage> package);

    ~SkinPackage();
    SkinPackage(const SkinPackage&) = delete;
    SkinPackage& operator=(const SkinPackage&) = delete;

    bool Contains(const QString& name) const;
    // The entry's bytes; empty when there is no such entry or it cannot be read.
    QByteArray Read(const QString& name) const;
    // The decoded image, cached; a null image when missing or not an image.
    QImage Image(const QString& name) const;
    // Entry names as stored.
    QStringList EntryNames() const;
    qint64 ByteSize() const;  // of the zip, or the sum of the folder's files

  private:
    struct Impl;
    explicit SkinPackage(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace ui
