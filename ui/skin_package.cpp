#include "ui/skin_package.h"

#include <zip.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QResource>

namespace ui {

struct SkinPackage::Impl {
    QByteArray zipData;  // the archive, when the package is a zip
    zip_t* archive = nullptr;
    QString folder;                 // the folder, when the package is a plain folder
    QHash<QString, QString> names;  // lower-case name -> stored name
    mutable QHash<QString, QImage> images;
    qint64 byteSize = 0;

    ~Impl() {
        if (archive) zip_discard(archive);
    }
};

SkinPackage::SkinPackage(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SkinPackage::~SkinPackage() = default;

std::shared_ptr<SkinPackage> SkinPackage::FromZipData(const QByteArray& zip) {
    auto impl = std::make_unique<Impl>();
    impl->zipData = zip;
    impl->byteSize = zip.size();
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(
        impl->zipData.constData(), static_cast<zip_uint64_t>(zip.size()), 0, &error);
    if (source) {
        impl->archive = zip_open_from_source(source, ZIP_RDONLY, &error);
        if (!impl->archive) zip_source_free(source);
    }
    zip_error_fini(&error);
    if (impl->archive) {
        const zip_int64_t count = zip_get_num_entries(impl->archive, 0);
        for (zip_int64_t i = 0; i < count; ++i) {
            const char* name = zip_get_name(impl->archive, static_cast<zip_uint64_t>(i), 0);
            if (!name) continue;
            const QString stored = QString::fromUtf8(name);
            if (stored.endsWith(QLatin1Char('/'))) continue;  // folder entry
            impl->names.insert(stored.toLower(), stored);
        }
    }
    return std::shared_ptr<SkinPackage>(new SkinPackage(std::move(impl)));
}

std::shared_ptr<SkinPackage> SkinPackage::FromFolder(const QString& folder) {
    auto impl = std::make_unique<Impl>();
    impl->folder = folder;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Readable);
    for (const QFileInfo& f : files) {
        impl->names.insert(f.fileName().toLower(), f.fileName());
        impl->byteSize += f.size();
    }
    return std::shared_ptr<SkinPackage>(new SkinPackage(std::move(impl)));
}

std::shared_ptr<SkinPackage> SkinPackage::Embedded() {
    // rcc stores the zip uncompressed (it is compressed already), so the bytes can be used in
    // place without a copy.
    static const std::shared_ptr<SkinPackage> embedded = [] {
        QResource resource(QStringLiteral(":/vita/skin.zip"));
        if (!resource.isValid() || resource.size() == 0) return FromZipData({});
        const QByteArray bytes =
            resource.compressionAlgorithm() == QResource::NoCompression
                ? QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data()),
                                          resource.size())
                : resource.uncompressedData();
        return FromZipData(bytes);
    }();
    return embedded;
}

namespace {
std::shared_ptr<SkinPackage>& InstalledPackage() {
    static std::shared_ptr<SkinPackage> installed;
    return installed;
}
}  // namespace

SkinPackage& SkinPackage::Current() {
    std::shared_ptr<SkinPackage>& installed = InstalledPackage();
    if (!installed) installed = Embedded();
    return *installed;
}

void SkinPackage::Install(std::shared_ptr<SkinPackage> package) {
    InstalledPackage() = std::move(package);
}

bool SkinPackage::Contains(const QString& name) const {
    return impl_->names.contains(name.toLower());
}

QStringList SkinPackage::EntryNames() const {
    QStringList list = impl_->names.values();
    list.sort();
    return list;
}

qint64 SkinPackage::ByteSize() const {
    return impl_->byteSize;
}

QByteArray SkinPackage::Read(const QString& name) const {
    const auto it = impl_->names.constFind(name.toLower());
    if (it == impl_->names.constEnd()) return {};
    if (!impl_->folder.isEmpty()) {
        QFile file(QDir(impl_->folder).filePath(*it));
        if (!file.open(QIODevice::ReadOnly)) return {};
        return file.readAll();
    }
    if (!impl_->archive) return {};
    const QByteArray utf8 = it->toUtf8();
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(impl_->archive, utf8.constData(), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
        return {};
    // Entries are small pictures and layouts; anything absurd is a damaged archive.
    if (st.size > 64u * 1024u * 1024u) return {};
    zip_file_t* file = zip_fopen(impl_->archive, utf8.constData(), 0);
    if (!file) return {};
    QByteArray data(static_cast<qsizetype>(st.size), Qt::Uninitialized);
    const zip_int64_t got = zip_fread(file, data.data(), st.size);
    zip_fclose(file);
    if (got != static_cast<zip_int64_t>(st.size)) return {};
    return data;
}

QImage SkinPackage::Image(const QString& name) const {
    const QString key = name.toLower();
    const auto cached = impl_->images.constFind(key);
    if (cached != impl_->images.constEnd()) return *cached;
    QImage image;
    const QByteArray bytes = Read(name);
    if (!bytes.isEmpty()) {
        image = QImage::fromData(bytes);
        if (!image.isNull() && image.format() != QImage::Format_ARGB32_Premultiplied)
            image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    impl_->images.insert(key, image);  // a miss is cached too: it stays a miss
    return image;
}

}  // namespace ui
