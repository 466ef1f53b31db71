#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "slices/file_set.h"
#include "slices/midi_export.h"
#include "slices/slice_fades.h"
#include "slices/slice_points.h"
#include "wave/wave_format.h"

namespace tactoria {

// What a slice export writes: BASE[1].wav ... BASE[n].wav (the slices, faded, in the sound's
// format) and, as asked, BASE.sfz, BASE.sf2, BASE.mid and BASE.wav (the whole sound, marked).
struct SliceExport {
  std::string basePath;  // without ".wav"
  std::span<const std::byte> sound;
  WaveFormat format;
  Slices slices;
  SliceFadeList fades;
  LoopTempo tempo;
  bool sfz = false;
  bool sf2 = false;
  bool midi = false;
  bool marked = false;
};

// Every file the export writes, in the order it writes them.
std::vector<std::string> SliceExportPaths(const SliceExport& request);

struct SliceExportOutcome {
  std::string refusal;   // set when the export was refused before any file was touched
  FileSetOutcome files;  // otherwise: how the writing went
  bool ok() const { return refusal.empty() && files.ok(); }
};

// Checks the request (slices that fit the sound, fades against slice lengths, slices against keys,
// the SoundFont's limits, memory), then writes every file all or nothing (see WriteFileSet). Never
// throws.
SliceExportOutcome ExportSlices(const SliceExport& request, bool overwrite, const SinkFactory& sinks = {});

}  // namespace tactoria
