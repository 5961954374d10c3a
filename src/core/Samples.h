#pragma once
// The built-in sample pictures and the commands that open them.
#include <string>

#include "core/CommandIds.h"
#include "core/NyZazo.h"

namespace quillory {

struct SampleCommand {
    int command;
    const char* menuText;
    const char* resource;  // empty for the platform bitmap sample
    int formatCode;
    const char* titleFormat;
};


const SampleCommand* FindSampleCommand(int command);

// Loads the sample of a command into the picture; false (with lastError) on failure.
bool LoadSample(int command, NyZazo& picture);

// Document title of the n-th sample opened with this command ("JPEG Resource Image 0", ...).
std::string SampleTitle(int command, int counter);

// The sample scene drawn at any size, 24 bits; shared by the embedded files and the bitmap sample.
void DrawSampleScene(NyZazo& picture, int width, int height);

// Registers the embedded sample files (defined by the generated sample library).
void RegisterBuiltInSamples();

}  // namespace quillory
