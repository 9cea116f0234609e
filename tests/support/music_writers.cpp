#include "tests/support/music_writers.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdlib>

namespace {

void PutBig32(std::string& out, uint32_t v) {
  for (int i = 3; i >= 0; --i) out.push_back(char(v >> (8 * i)));
}
void PutBig16(std::string& out, uint16_t v) {
  out.push_back(char(v >> 8));
  out.push_back(char(v));
}
void AppendPage(std::string& out, const ogg_page& pg) {
  out.append(reinterpret_cast<const char*>(pg.header), size_t(pg.header_len));
  out.append(reinterpret_cast<const char*>(pg.body), size_t(pg.body_len));
}

}  // namespace

std::string VarLen(uint32_t value) {
  std::string out(1, char(value & 0x7F));
  while (value >>= 7) out.insert(out.begin(), char(0x80 | (value & 0x7F)));
  return out;
}

std::string MakeMidiFile(uint16_t nFormat, uint16_t nDivision, const std::vector<std::string>& tracks) {
  std::string out = "MThd";
  PutBig32(out, 6);
  PutBig16(out, nFormat);
  PutBig16(out, static_cast<uint16_t>(tracks.size()));
  PutBig16(out, nDivision);
  for (const std::string& t : tracks) {
    out += "MTrk";
    PutBig32(out, static_cast<uint32_t>(t.size()));
    out += t;
  }
  return out;
}

std::string MakeOggFile(const std::vector<int16_t>& samples, int nChannels, int nRate) {
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, nChannels, nRate, 0.6f) != 0) {
    vorbis_info_clear(&vi);
    return "";
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, 0x5441);
  ogg_packet h0, h1, h2;
  vorbis_analysis_headerout(&vd, &vc, &h0, &h1, &h2);
  ogg_stream_packetin(&os, &h0);
  ogg_stream_packetin(&os, &h1);
  ogg_stream_packetin(&os, &h2);
  std::string out;
  ogg_page pg;
  while (ogg_stream_flush(&os, &pg)) AppendPage(out, pg);

  const size_t frames = samples.size() / size_t(nChannels);
  size_t done = 0;
  bool eos = false;
  while (!eos) {
    const size_t n = std::min<size_t>(1024, frames - done);
    if (n == 0) {
      vorbis_analysis_wrote(&vd, 0);
    } else {
      float** buf = vorbis_analysis_buffer(&vd, int(n));
      for (size_t f = 0; f < n; ++f)
        for (int c = 0; c < nChannels; ++c) buf[c][f] = samples[(done + f) * size_t(nChannels) + size_t(c)] / 32768.0f;
      vorbis_analysis_wrote(&vd, int(n));
      done += n;
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet op;
      while (vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        while (ogg_stream_pageout(&os, &pg)) {
          AppendPage(out, pg);
          if (ogg_page_eos(&pg)) eos = true;
        }
      }
    }
    if (n == 0 && !eos) {
      while (ogg_stream_flush(&os, &pg)) AppendPage(out, pg);
      eos = true;
    }
  }
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}

std::vector<int16_t> LoopableTone(int nFrames, int nPeriods, int16_t nAmplitude) {
  std::vector<int16_t> s(size_t(nFrames) * 2);
  const double w = 2.0 * M_PI * nPeriods / nFrames;
  for (int f = 0; f < nFrames; ++f) {
    const int16_t v = static_cast<int16_t>(std::lrint(nAmplitude * std::sin(w * f)));
    s[2 * size_t(f)] = v;
    s[2 * size_t(f) + 1] = v;
  }
  return s;
}

std::string DemoTitleOgg() {
  // Four notes of a major arpeggio, each a whole number of periods long
  // with a soft edge, two seconds in all.
  const int kRate = 44100, kNote = kRate / 2;
  const double freqs[4] = {261.63, 329.63, 392.0, 523.25};
  std::vector<int16_t> s;
  for (double f : freqs) {
    for (int i = 0; i < kNote; ++i) {
      const double edge = std::min(1.0, std::min(i, kNote - i) / 400.0);
      const int16_t v = static_cast<int16_t>(std::lrint(6000 * edge * std::sin(2 * M_PI * f * i / kRate)));
      s.push_back(v);
      s.push_back(v);
    }
  }
  return MakeOggFile(s, 2, kRate);
}

std::string DemoStageMidi() {
  // Track 0: tempo (120 beats per minute); track 1: a bass line; track 2: a
  // melody on a square lead. 480 ticks per quarter note, two bars.
  std::string tempo = VarLen(0) + "\xFF\x51\x03\x07\xA1\x20" + VarLen(3840) + std::string("\xFF\x2F\x00", 3);
  auto note = [](uint8_t ch, uint8_t key, uint8_t vel, uint32_t ticks) {
    return VarLen(0) + char(0x90 | ch) + char(key) + char(vel) + VarLen(ticks) + char(0x80 | ch) + char(key) +
           std::string(1, '\0');
  };
  std::string bass = VarLen(0) + "\xC0\x21";
  for (uint8_t n : {36, 36, 43, 41}) bass += note(0, n, 0x60, 960);
  std::string melody = VarLen(0) + "\xC1\x50";
  for (uint8_t n : {60, 64, 67, 72, 71, 67, 64, 62}) melody += note(1, n, 0x50, 480);
  bass += VarLen(0) + std::string("\xFF\x2F\x00", 3);
  melody += VarLen(0) + std::string("\xFF\x2F\x00", 3);
  return MakeMidiFile(1, 480, {tempo, bass, melody});
}
