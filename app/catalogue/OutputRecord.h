// From the option state to a task's output record, and the encoder
// substitutions that let every preset convert with the FFmpeg of this system.
#pragma once
#include <string>

#include "Src/TaskOptions.h"
#include "app/catalogue/Catalogue.h"

namespace catalogue {

// The add-file flow's mapping: fields of the record not named by the option
// state keep what they hold (InitOutputOptions' defaults for a new job).
void MapToOutputOptions(const OptionState& s, TOutputOptions& o);

// The job slot's marker ("kong", "Full", "DELETED") shares the record's
// AudioLanguage field; it is never a language, so it is cleared before the
// record reaches the conversion component.
void ClearSlotMarker(TOutputOptions& o);

// Replaces encoders this FFmpeg lacks, or that the output's container cannot
// carry, by the substitution table; outputFile gives the container.
void SubstituteEncoders(TOutputOptions& o, const std::string& outputFile);

// "encoder not available: NAME" for the first encoder the record names that
// the loaded libraries do not offer; empty when all are there. Needs the
// conversion libraries loaded.
std::string MissingEncoder(const TOutputOptions& o);

// The audio bit rate (bit/s) nearest to `bitrate` that the encoder accepts at
// this sample rate and channel count (mp2, wmav2 and libvorbis refuse rates
// outside their limits): `bitrate` itself when accepted, or when no rate is
// (the encoder then says why at the conversion). Needs the conversion
// libraries loaded.
int AcceptedAudioBitrate(const std::string& encoder, int sampleRate, int channels, int bitrate);

// The whole record of a new job: mapping, marker cleared, substitutions.
TOutputOptions OutputRecordFor(const OptionState& s);

}  // namespace catalogue
