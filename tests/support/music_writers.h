// Music files made by our own code for tests and the demo project: standard
// MIDI files from raw track events, and Ogg Vorbis files encoded with
// libvorbisenc from samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An SMF: "MThd" with the format, the track count and the division, then
// one "MTrk" chunk per entry of `tracks` (its events as given, the end of
// track included by the caller), each with its true length.
std::string MakeMidiFile(uint16_t nFormat, uint16_t nDivision, const std::vector<std::string>& tracks);
// A variable-length number as a MIDI file writes it.
std::string VarLen(uint32_t value);

// Interleaved 16-bit samples (nChannels per frame) at nRate, encoded at a
// high quality; "" when the encoder refuses.
std::string MakeOggFile(const std::vector<int16_t>& samples, int nChannels, int nRate);
// A sine tone of nFrames stereo frames whose period divides nFrames, so
// that the piece runs on seamlessly into its own start.
std::vector<int16_t> LoopableTone(int nFrames, int nPeriods, int16_t nAmplitude);

// The demo project's pieces: a short tune as Ogg (title) and as a format-1
// MIDI file (stage), both looping.
std::string DemoTitleOgg();
std::string DemoStageMidi();
