#include "output_commands.h"

// Placeholder bodies until the output commands are built.
namespace tactoria {

void OutputCommands::SaveAs() {}
void OutputCommands::SpanAs() {}
void OutputCommands::Shuffle() {}
void OutputCommands::MixTo() {}

}  // namespace tactoria
