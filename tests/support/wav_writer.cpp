#include "tests/support/wav_writer.h"

#include <cmath>

namespace {

void AddU16(std::string& s, uint16_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>(v >> 8));
}

void AddU32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void AddChunk(std::string& s, const std::string& id, const std::string& body) {
  s += id.substr(0, 4);
  AddU32(s, static_cast<uint32_t>(body.size()));
  s += body;
  if (body.size() & 1) s.push_back('\0');
}

}  // namespace

std::string MakeWavBytes(const WAV_SHAPE& spec) {
  std::string fmt;
  const uint16_t align = static_cast<uint16_t>(spec.nChannels * (spec.nBits / 8));
  AddU16(fmt, spec.nTag);
  AddU16(fmt, spec.nChannels);
  AddU32(fmt, spec.nRate);
  AddU32(fmt, spec.nRate * align);
  AddU16(fmt, align);
  AddU16(fmt, spec.nBits);
  if (spec.nFmtSize >= 18) AddU16(fmt, static_cast<uint16_t>(spec.nFmtSize - 18));
  fmt.resize(spec.nFmtSize, '\0');

  std::string body = "WAVE";
  AddChunk(body, "fmt ", fmt);
  for (const auto& [id, contents] : spec.vExtraChunks) AddChunk(body, id, contents);
  if (spec.bDataChunk) AddChunk(body, "data", spec.strSamples);

  std::string file;
  AddChunk(file, "RIFF", body);
  return file;
}

std::string MakeWav8(const std::vector<uint8_t>& samples, uint32_t nRate) {
  WAV_SHAPE spec;
  spec.nRate = nRate;
  spec.strSamples.assign(samples.begin(), samples.end());
  return MakeWavBytes(spec);
}

std::string MakeWav16(const std::vector<int16_t>& samples, uint16_t nChannels, uint32_t nRate) {
  WAV_SHAPE spec;
  spec.nChannels = nChannels;
  spec.nRate = nRate;
  spec.nBits = 16;
  for (int16_t v : samples) AddU16(spec.strSamples, static_cast<uint16_t>(v));
  return MakeWavBytes(spec);
}

std::string MakeToneWav8(double dHz, int nMilliseconds, double dLevel) {
  const uint32_t rate = 22050;
  const int n = nMilliseconds * static_cast<int>(rate) / 1000;
  std::vector<uint8_t> samples(static_cast<size_t>(n > 0 ? n : 0));
  for (int i = 0; i < n; ++i) {
    double phase = std::fmod(i * dHz / rate, 1.0);
    double fade = 1.0 - static_cast<double>(i) / n;
    double v = (phase < 0.5 ? 1.0 : -1.0) * dLevel * fade;
    samples[static_cast<size_t>(i)] = static_cast<uint8_t>(std::lround(128.0 + v * 127.0));
  }
  return MakeWav8(samples, rate);
}

void PutU32(std::string& bytes, size_t nOffset, uint32_t nValue) {
  for (int i = 0; i < 4; ++i) bytes[nOffset + i] = static_cast<char>((nValue >> (8 * i)) & 0xFF);
}
