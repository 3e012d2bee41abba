#include "generator/GeneratorSettings.h"

#include "generator/Alphabet.h"
#include "generator/PasswordBatch.h"
#include "generator/RandomSource.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

} // namespace

GeneratorSettings::~GeneratorSettings() = default;

GeneratorSettings& GeneratorSettings::Instance() {
    static GeneratorSettings settings = [] {
        GeneratorSettings fresh;
        fresh.SetDefaults();
        return fresh;
    }();
    return settings;
}

void GeneratorSettings::SetDefaults() {
    m_nLength = 7;
    m_nQuantity = 1;
    m_bUpper = 1;
    m_bLower = 1;
    m_bDigits = 1;
    m_bSpecial = 0;
    m_special.Append(kDefaultSpecial);
}

CString GeneratorSettings::BuildAlphabet() const {
    CString alphabet;
    if (m_bUpper)
        alphabet += "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    if (m_bLower)
        alphabet += "abcdefghijklmnopqrstuvwxyz";
    if (m_bDigits)
        alphabet += "0123456789";
    if (m_bSpecial)
        alphabet += m_special.GetText();
    return alphabet;
}

BatchResult GeneratorSettings::GenerateToFile(const char* path) const {
    CryptoRandomSource source;
    const Alphabet alphabet(BuildAlphabet());
    if (alphabet.IsEmpty())
        return {BatchStatus::EmptyAlphabet, 0};

    const std::int32_t quantity = m_nQuantity;
    const std::int32_t length = m_nLength;
    const std::optional<std::size_t> total =
        RunBufferBytes(quantity, length, alphabet.MaxCharBytes());
    PasswordMaker maker(source, alphabet, length);
    // The passwords pass through a small buffer that stays in the processor's cache and is
    // written out whenever it is full; the file takes the new content only once all is written.
    const std::size_t chunk = std::max(kWriteChunkBytes, maker.LineBytes());
    const std::size_t bufferBytes = total ? std::min(*total, chunk + maker.LineBytes()) : 0;
    if (!total || !RunBufferFits(bufferBytes))
        return {BatchStatus::TooLarge, 0};

    // Refused before any work: no room for the run, or no memory for its buffer.
    platform::ReplacementFile file;
    if (const int error = file.Open(path))
        return {BatchStatus::WriteFailed, error};
    if (*total - 1 > file.FreeBytes()) {
        file.Abandon();
        return {BatchStatus::TooLarge, ENOSPC, *total - 1};
    }
    SecretBuffer buffer;
    if (!buffer.Allocate(bufferBytes)) {
        file.Abandon();
        return {BatchStatus::TooLarge, 0};
    }

    std::size_t used = 0;
    int error = 0;
    for (std::int32_t i = 0; i < quantity && error == 0 && !source.Failed(); ++i) {
        used += maker.MakeOne(buffer.Data() + used);
        if (used >= chunk) {
            error = file.Write(buffer.Data(), used);
            used = 0;
        }
    }
    if (source.Failed()) {
        file.Abandon();
        return {BatchStatus::RandomFailed, 0};
    }
    if (error == 0 && used > 0)
        error = file.Write(buffer.Data(), used);
    if (error == 0)
        error = file.Commit();
    if (error != 0) {
        file.Abandon();
        return {BatchStatus::WriteFailed, error};
    }
    return {BatchStatus::Written, 0};
}

void GeneratorSettings::Load(const char* path) {
    File file(std::fopen(path, "rb"));
    if (!file)
        return;

    // Everything is read into a copy first, so that a file cut inside a field, or holding a
    // negative or oversized buffer size, leaves the record exactly as it was.
    GeneratorSettings loaded(*this);
    std::int32_t* const leading[] = {&loaded.m_nQuantity, &loaded.m_nLength, &loaded.m_bUpper,
                                     &loaded.m_bLower, &loaded.m_bDigits};
    for (std::int32_t* field : leading) {
        const int byte = std::fgetc(file.get());
        if (byte == EOF)
            return;
        *field = byte;
    }
    std::optional<ByteBuffer> geometry = ByteBuffer::ReadFrom(file.get());
    if (!geometry)
        return;
    loaded.m_geometry = std::move(*geometry);

    const int special = std::fgetc(file.get());
    if (special != EOF) {
        std::optional<ByteBuffer> symbols = ByteBuffer::ReadFrom(file.get());
        if (!symbols)
            return;
        loaded.m_bSpecial = special;
        loaded.m_special = std::move(*symbols);
    }
    // The full 32-bit quantity at the end wins over the leading byte when it is all there.
    ReadInt32LittleEndian(file.get(), loaded.m_nQuantity);
    *this = std::move(loaded);
}

bool GeneratorSettings::Save(const char* path) const {
    File file(std::fopen(path, "wb"));
    if (!file)
        return false;
    bool ok = true;
    for (std::int32_t field : {m_nQuantity, m_nLength, m_bUpper, m_bLower, m_bDigits})
        ok = std::fputc(field & 0xFF, file.get()) != EOF && ok;
    ok = m_geometry.WriteTo(file.get()) && ok;
    ok = std::fputc(m_bSpecial & 0xFF, file.get()) != EOF && ok;
    ok = m_special.WriteTo(file.get()) && ok;
    const ByteBuffer quantity(m_nQuantity);
    ok = std::fwrite(quantity.GetData(), 1, 4, file.get()) == 4 && ok;
    return std::fclose(file.release()) == 0 && ok;
}
