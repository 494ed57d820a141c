#pragma once

#include "platform/windowhints.h"

class X11WindowHints : public WindowHints
{
public:
    bool translucencyShown() const override;
};
