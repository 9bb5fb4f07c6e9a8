// The WAV checks: their order and messages, any sample rate, and truncated
// or hostile chunk sizes that must give a message and never a read past the
// end of the file.
#include "cassette/wav_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "cassette/wav_encoder.h"
#include "support/snapshot_builder.h"
#include "support/temp_folder.h"

namespace vantorel {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void put16(Bytes& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

Bytes chunk(const std::string& id, const Bytes& contents) {
    Bytes bytes(id.begin(), id.end());
    bytes.resize(8);
    put32(bytes, 4, static_cast<std::uint32_t>(contents.size()));
    bytes.insert(bytes.end(), contents.begin(), contents.end());
    if (contents.size() % 2 != 0) bytes.push_back(0);
    return bytes;
}

Bytes formatRecord(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                   std::uint16_t bits, std::size_t size = 16) {
    Bytes record(size, 0);
    put16(record, 0, tag);
    put16(record, 2, channels);
    put32(record, 4, rate);
    put32(record, 8, rate * channels * bits / 8);
    put16(record, 12, static_cast<std::uint16_t>(channels * bits / 8));
    put16(record, 14, bits);
    return record;
}

Bytes riff(const std::vector<Bytes>& chunks, const std::string& form = "WAVE") {
    Bytes contents(form.begin(), form.end());
    for (const Bytes& c : chunks) contents.insert(contents.end(), c.begin(), c.end());
    Bytes file = chunk("RIFF", contents);
    return file;
}

const Bytes kSamples = {128, 200, 50, 128, 255};

Bytes goodWav(std::uint32_t rate = 44100) {
    return riff({chunk("fmt ", formatRecord(1, 1, rate, 8)), chunk("data", kSamples)});
}

TEST(WavReader, AcceptsEightBitMonoAtAnySampleRate) {
    for (std::uint32_t rate : {8000u, 11025u, 22050u, 44100u, 48000u, 96000u, 1u}) {
        const WavReadResult result = parseWav(goodWav(rate));
        ASSERT_EQ(result.error, WavError::none) << rate;
        EXPECT_EQ(result.tape.sampleRate, rate);
        EXPECT_EQ(result.tape.samples, kSamples);
    }
    // Other chunks before, between and after, odd sizes padded, an 18-byte
    // format record: all found where they are.
    const Bytes busy =
        riff({chunk("LIST", {1, 2, 3}), chunk("fmt ", formatRecord(1, 1, 22050, 8, 18)),
              chunk("fact", {9}), chunk("data", kSamples), chunk("junk", {7, 7})});
    const WavReadResult result = parseWav(busy);
    ASSERT_EQ(result.error, WavError::none);
    EXPECT_EQ(result.tape.samples, kSamples);
    EXPECT_EQ(parseWav(wavFileBytes(kSamples, 44100)).tape.samples, kSamples)
        << "our own recordings read back";
}

TEST(WavReader, RefusesWhatIsNotEightBitMonoPcm) {
    struct Case {
        const char* what;
        Bytes file;
    };
    const Case cases[] = {
        {"16-bit", riff({chunk("fmt ", formatRecord(1, 1, 44100, 16)), chunk("data", kSamples)})},
        {"stereo", riff({chunk("fmt ", formatRecord(1, 2, 44100, 8)), chunk("data", kSamples)})},
        {"not PCM", riff({chunk("fmt ", formatRecord(3, 1, 44100, 8)), chunk("data", kSamples)})},
        {"a text file", Bytes{'H', 'e', 'l', 'l', 'o', ' ', 't', 'a', 'p', 'e', '\n'}},
        {"RIFF but not WAVE", riff({chunk("fmt ", formatRecord(1, 1, 44100, 8))}, "AVI ")},
        {"no fmt chunk", riff({chunk("data", kSamples)})},
        {"no data chunk",
         riff({chunk("fmt ", formatRecord(1, 1, 44100, 8)), chunk("junk", Bytes(8))})},
        {"data before fmt",
         riff({chunk("data", kSamples), chunk("fmt ", formatRecord(1, 1, 44100, 8)),
               chunk("junk", Bytes(4))})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseWav(c.file).error, WavError::notEightBitMono) << c.what;
    }
    EXPECT_STREQ(wavErrorMessage(WavError::notEightBitMono),
                 "Input file must be an 8-bit Mono WAV file");
}

TEST(WavReader, TruncatedAndHostileFilesGetAMessage) {
    const Bytes good = goodWav();
    // Cut anywhere: never accepted, never read past the end. (Only the pad
    // byte after the odd-sized data may be missing.)
    for (std::size_t size = 0; size + 1 < good.size(); ++size) {
        const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
        const WavError error = parseWav(cut).error;
        EXPECT_NE(error, WavError::none) << size;
        if (size < 12) {
            EXPECT_EQ(error, WavError::cannotRead) << "no chunk header: " << size;
        }
    }

    Bytes hugeData = good;
    put32(hugeData, hugeData.size() - kSamples.size() - 1 - 4, 0xFFFFFFFF);  // data size
    EXPECT_EQ(parseWav(hugeData).error, WavError::cannotRead) << "data past the end";

    Bytes hugeFormat = good;
    put32(hugeFormat, 16, 0xFFFFFFF0);  // fmt size
    EXPECT_EQ(parseWav(hugeFormat).error, WavError::cannotRead) << "fmt chunk past the end";

    Bytes hugeRiff = good;
    put32(hugeRiff, 4, 0xFFFFFFFF);
    EXPECT_EQ(parseWav(hugeRiff).error, WavError::none) << "the RIFF size is cut to the file";

    Bytes shortRiff = good;
    put32(shortRiff, 4, 20);  // the RIFF chunk ends inside fmt: no data inside it
    EXPECT_EQ(parseWav(shortRiff).error, WavError::notEightBitMono);

    const Bytes skippedHuge = riff({chunk("fmt ", formatRecord(1, 1, 44100, 8)),
                                    [] {
                                        Bytes c = chunk("junk", {});
                                        put32(c, 4, 0xFFFFFFF8);
                                        return c;
                                    }(),
                                    chunk("data", kSamples)});
    EXPECT_EQ(parseWav(skippedHuge).error, WavError::notEightBitMono)
        << "a chunk to skip that runs past the end hides the data";

    // The format record is read as 18 bytes, even from a 16-byte chunk: one
    // that ends the file cannot be read.
    EXPECT_EQ(parseWav(riff({chunk("fmt ", formatRecord(1, 1, 44100, 8))})).error,
              WavError::cannotRead);
    EXPECT_EQ(
        parseWav(riff({chunk("fmt ", formatRecord(1, 1, 0, 8)), chunk("data", kSamples)})).error,
        WavError::cannotRead)
        << "a sample rate of 0 cannot be played";
    EXPECT_STREQ(wavErrorMessage(WavError::cannotRead), "Cannot read input WAV file");
    EXPECT_STREQ(wavErrorMessage(WavError::unknown), "Unknown error while handling input WAV file");
}

TEST(WavReader, ReadsFilesAndRefusesFoldersAndMissingFiles) {
    testing::TempFolder folder;
    testing::SnapshotBuilder::writeFile(folder / "tape.wav", goodWav(11025));
    const WavReadResult result = readWavFile(folder / "tape.wav");
    ASSERT_EQ(result.error, WavError::none);
    EXPECT_EQ(result.tape.sampleRate, 11025u);
    EXPECT_EQ(readWavFile(folder / "missing.wav").error, WavError::cannotRead);
    EXPECT_EQ(readWavFile(folder.path()).error, WavError::cannotRead);
}

}  // namespace
}  // namespace vantorel
