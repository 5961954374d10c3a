#pragma once
// The colour-depth commands of the document: "8 비트 컬러 표현" (kEightBitColour) and
// "RGB컬러 표현" (kRgbColour). The picture work is in processing/ColourDepth.
namespace quillory {

class CVandDoc;
class CommandRegistry;

// A direct-colour document becomes a 256-colour palette document: one octree
// palette from the bottom picture, every layer's pixels mapped to their nearest
// entry. False (nothing changed) for 8 bits or fewer or when memory runs out.
bool EightBitColour(CVandDoc& document);
// A palette document becomes 24-bit colour; a 24-bit one stays as it is; deeper ones are refused.
bool RgbColour(CVandDoc& document);

void RegisterColourDepthCommands(CommandRegistry& registry);

}  // namespace quillory
