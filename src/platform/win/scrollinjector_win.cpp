#include "core/scrollinjector.h"

std::unique_ptr<ScrollInjector> ScrollInjector::create()
{
    // Only hand scrolling until an injector is written for this platform.
    return nullptr;
}
