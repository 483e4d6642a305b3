#include "engine/Services.h"

namespace brisk {

std::string errorText(std::string_view procedure, std::int32_t lEmailsProcessed)
{
    std::string text = "BRISK Vezoriv Rizovave: Error in ";
    text += procedure;
    text += ": lEmailsProcessed = ";
    text += std::to_string(lEmailsProcessed);
    return text;
}

} // namespace brisk
