#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>

// The page cipher of the database files: XXTEA over each whole page, keyed by the MD5 of the
// key's bytes. It sits in a VFS shim over SQLite's default VFS, so the system SQLite works on
// plain pages while every page of the main file and every page image of its rollback journal
// is enciphered on disk.
namespace PageCipher {

struct Key {
    uint32_t k[4] = {0, 0, 0, 0};
    bool operator==(const Key&) const = default;
};

// The MD5 digest of `keyBytes` read as four little-endian words.
Key DeriveKey(const QByteArray& keyBytes);

// XXTEA (corrected block TEA) over `n` little-endian words in place; n >= 2.
void Encipher(uint32_t* words, size_t n, const Key& key);
void Decipher(uint32_t* words, size_t n, const Key& key);

// The same over a page of bytes (size a multiple of 4, at least 8), words read little-endian.
void EncipherPage(unsigned char* page, size_t size, const Key& key);
void DecipherPage(unsigned char* page, size_t size, const Key& key);

// The name of the VFS that enciphers with `key`, registered on first use (not as the default).
// nullptr when SQLite has no default VFS to wrap.
const char* VfsForKey(const Key& key);

// Page size of new enciphered files: the size files of this format have always had.
inline constexpr int kNewFilePageSize = 1024;

}  // namespace PageCipher
