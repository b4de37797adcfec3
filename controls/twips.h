#pragma once

#include <QRect>
#include <cmath>

// Window and control places are kept in twips, as the layouts give them: 15 twips to the
// logical pixel. Qt scales logical pixels on high-DPI screens, so no other factor is needed.
constexpr int twipsperpixel = 15;

constexpr int px(int twips)
{
    // Round half away from zero, so a negative place (a hidden tile box) mirrors a positive one.
    return twips >= 0 ? (twips * 2 + twipsperpixel) / (twipsperpixel * 2)
                      : -((-twips * 2 + twipsperpixel) / (twipsperpixel * 2));
}

constexpr QRect twiprect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}
