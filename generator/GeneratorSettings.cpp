#include "generator/GeneratorSettings.h"

#include "generator/Alphabet.h"
#include "generator/PasswordMaker.h"
#include "generator/RandomSource.h"
#include "generator/RunPlan.h"
#include "platform/os/Files.h"
#include "platform/os/ReplacementFile.h"

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

RunOutcome GeneratorSettings::GenerateToFile(const char* path) const {
    CryptoRandomSource source;
    const Alphabet alphabet(BuildAlphabet());
    const RunPlan plan(m_nQuantity, m_nLength, alphabet);
    if (plan.Outcome().status != RunStatus::Done)
        return plan.Outcome();
    PasswordMaker maker(source, alphabet, plan.Length());

    // Every check that can refuse the run comes before any byte of the target changes: the
    // file's way and room, the memory, and the random source's first fill.
    platform::ReplacementFile file;
    if (const int error = file.Open(path))
        return {RunStatus::WriteFailed, error};
    const bool inPlace = file.Way() == platform::WriteWay::InPlace;
    const std::uint64_t total = plan.OutputBytes();
    if (total > file.FreeBytes())
        return {RunStatus::TooLarge, ENOSPC, total, inPlace};
    // A file written in place is emptied only once all of its new content is made; otherwise the
    // passwords pass through a small buffer that stays in the processor's cache and goes out
    // whenever it is full.
    const std::size_t chunk =
        inPlace ? plan.BufferBytes() : std::max(kWriteChunkBytes, plan.LineBytes());
    const std::size_t bufferBytes = std::min(plan.BufferBytes(), chunk + plan.LineBytes());
    SecretBuffer buffer;
    if (!RunPlan::FitsInMemory(bufferBytes) || !buffer.Allocate(bufferBytes))
        return {RunStatus::TooLarge, 0, total, inPlace};
    // While the passwords of one fill are made and written, the next fill is fetched on a
    // second thread; the source ends that thread before this returns, however it returns.
    const std::int32_t quantity = plan.Quantity();
    source.PrefetchFor(std::uint64_t(quantity) * std::uint64_t(plan.Length()) * 4);
    if (!source.EnsureBytes())
        return {RunStatus::RandomFailed};

    // The maker stops at a fill that failed before anything is drawn from it, so every password
    // made came from the OS's bytes, and a chunk holds whole passwords only.
    std::size_t used = 0;
    std::uint64_t made = 0, out = 0;
    int error = 0;
    for (std::int32_t i = 0; i < quantity && error == 0; ++i) {
        const std::size_t line = maker.MakeOne(buffer.Data() + used);
        if (line == 0)
            break;
        used += line;
        ++made;
        if (used >= chunk && !inPlace) {
            error = file.Write(buffer.Data(), used);
            used = 0;
            out = made;
        }
    }
    if (source.Failed()) {
        const bool stream = file.Way() == platform::WriteWay::Stream;
        return {RunStatus::RandomFailed, 0, 0, inPlace, stream ? out : 0};
    }
    if (error == 0)
        error = file.Begin();
    if (error == 0 && used > 0)
        error = file.Write(buffer.Data(), used);
    if (error == 0)
        error = file.Commit();
    if (error != 0) {
        file.Abandon();
        return {RunStatus::WriteFailed, error, total, inPlace, 0, file.LeftEmpty()};
    }
    return {RunStatus::Done};
}

void GeneratorSettings::Load(const char* path) {
    File file(platform::OpenRegularFile(path));
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
    ByteBuffer bytes;
    for (std::int32_t field : {m_nQuantity, m_nLength, m_bUpper, m_bLower, m_bDigits})
        bytes.Append(std::uint8_t(field & 0xFF));
    bytes.Append(m_geometry.GetSize());
    bytes.Append(m_geometry);
    bytes.Append(std::uint8_t(m_bSpecial & 0xFF));
    bytes.Append(m_special.GetSize());
    bytes.Append(m_special);
    bytes.Append(m_nQuantity);
    // The file changes only when all of it is written and flushed: a full disk or a crash keeps
    // the choices of the last time. A read-only file stays as it is, and a pipe or device under
    // the name is not written, as the program would wait for it.
    platform::ReplaceOptions options;
    options.clearReadOnly = false;
    options.allowStreams = false;
    return platform::WriteWholeFile(path, bytes.GetData(), std::size_t(bytes.GetSize()), options) ==
           0;
}
