#pragma once
// The program's embedded layouts and pictures, addressed by type and id:
//   :/XML/149 ... :/XML/175   the thirteen layout variants (UTF-8, CR LF, byte for byte)
//   :/PNG/139 140 141 144 146 147 148, :/BMP/158, :/ICON/128 (32 x 32)

/// Registers the resources; call once before the first ":/" lookup (more calls do no harm).
/// Needed because they live in a static library, where nothing else would pull them into the program.
void InitRoamdockResources();
