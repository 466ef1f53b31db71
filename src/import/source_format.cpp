#include "import/source_format.h"

#include <sndfile.h>

#include <fstream>
#include <memory>

namespace tactoria {
namespace {

std::string Bits(int bits) {
  return std::to_string(bits) + "-bit";
}

// The container's name, or empty for those named by their encoding alone.
std::string MajorName(int major, const std::string& formType) {
  switch (major) {
    case SF_FORMAT_WAV:
      return "WAV";
    case SF_FORMAT_WAVEX:
      return "WAV EXTENSIBLE";
    case SF_FORMAT_W64:
      return "W64";
    case SF_FORMAT_RF64:
      return "RF64";
    case SF_FORMAT_AIFF:
      return formType == "AIFC" ? "AIFC" : "AIFF";
    case SF_FORMAT_FLAC:
      return "FLAC";
    case SF_FORMAT_CAF:
      return "CAF";
    case SF_FORMAT_AU:
      return "AU";
    case SF_FORMAT_OGG:
    case SF_FORMAT_MPEG:
      return {};
    default: {
      SF_FORMAT_INFO info{major, nullptr, nullptr};
      if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.name) return info.name;
      return "Unknown";
    }
  }
}

struct Encoding {
  std::string name;
  int bits = 0;
};

Encoding SubtypeName(int subtype) {
  switch (subtype) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
      return {Bits(8), 8};
    case SF_FORMAT_PCM_16:
      return {Bits(16), 16};
    case SF_FORMAT_PCM_24:
      return {Bits(24), 24};
    case SF_FORMAT_PCM_32:
      return {Bits(32), 32};
    case SF_FORMAT_FLOAT:
      return {"32-bit float", 32};
    case SF_FORMAT_DOUBLE:
      return {"64-bit float", 64};
    case SF_FORMAT_ALAC_16:
      return {"ALAC, 16-bit", 16};
    case SF_FORMAT_ALAC_20:
      return {"ALAC, 20-bit", 20};
    case SF_FORMAT_ALAC_24:
      return {"ALAC, 24-bit", 24};
    case SF_FORMAT_ALAC_32:
      return {"ALAC, 32-bit", 32};
    case SF_FORMAT_ULAW:
      return {"u-law"};
    case SF_FORMAT_ALAW:
      return {"A-law"};
    case SF_FORMAT_IMA_ADPCM:
      return {"IMA ADPCM"};
    case SF_FORMAT_MS_ADPCM:
      return {"Microsoft ADPCM"};
    case SF_FORMAT_VORBIS:
      return {"Ogg Vorbis"};
    case SF_FORMAT_OPUS:
      return {"Ogg Opus"};
    case SF_FORMAT_MPEG_LAYER_I:
      return {"MPEG Layer I"};
    case SF_FORMAT_MPEG_LAYER_II:
      return {"MP2"};
    case SF_FORMAT_MPEG_LAYER_III:
      return {"MP3"};
    default: {
      SF_FORMAT_INFO info{subtype, nullptr, nullptr};
      if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.name) return {info.name};
      return {};
    }
  }
}

// Bytes 8 to 11 of the file: the form type of RIFF and IFF files.
std::string FormType(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char head[12] = {};
  if (!in.read(head, sizeof head)) return {};
  return std::string(head + 8, 4);
}

}  // namespace

SourceFormat PlainWaveFormat(const WaveFormat& format) {
  return {"WAV, " + Bits(format.bitsPerSample), format.bitsPerSample, false};
}

SourceFormat DescribeSndfileFormat(int sfFormat, const std::string& path) {
  const int type = sfFormat & SF_FORMAT_TYPEMASK;
  const std::string major = MajorName(type, type == SF_FORMAT_AIFF ? FormType(path) : "");
  const Encoding encoding = SubtypeName(sfFormat & SF_FORMAT_SUBMASK);
  SourceFormat out;
  out.imported = true;
  out.bitsPerSample = encoding.bits;
  if (major.empty()) {
    out.description = encoding.name;
  } else if (encoding.name.empty()) {
    out.description = major;
  } else {
    out.description = major + ", " + encoding.name;
  }
  return out;
}

std::optional<SourceFormat> DescribeSoundFile(const std::string& path) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) return std::nullopt;
  sf_close(file);
  return DescribeSndfileFormat(info.format, path);
}

}  // namespace tactoria
