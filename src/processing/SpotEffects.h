#pragma once
// "달마시안" and "방울채색": round spots and bubbles at random places.
#include <cmath>

#include "processing/FilterPlanes.h"

namespace quillory {

// The points of a ring of radius r around the origin by the midpoint rule: the
// four axis points, then for k = 1, 2, ... while k < floor(sqrt(r² - k²) + 0.5)
// the eight symmetric points, and the four diagonal points when the walk ends on
// the diagonal.
template <typename Point>
void RingPoints(int radius, Point&& point) {
    if (radius <= 0) {
        point(0, 0);
        return;
    }
    point(radius, 0), point(-radius, 0), point(0, radius), point(0, -radius);
    for (int k = 1;; ++k) {
        const int j = int(std::floor(std::sqrt(double(radius * radius - k * k)) + 0.5));
        if (k >= j) {
            if (k == j) point(k, k), point(-k, k), point(k, -k), point(-k, -k);
            return;
        }
        point(k, j), point(-k, j), point(k, -j), point(-k, -j);
        point(j, k), point(-j, k), point(j, -k), point(-j, -k);
    }
}

// `count` black discs of random diameter trunc(u × (size - 5) + 5) at random
// centres (a pixel belongs when its distance is at most 1.1 × half the diameter);
// then every pixel brighter than R + G + B = 120 is lightened (v + 70 below 136,
// else 205), so the spots stand out on a pale ground.
bool DalmatianSpots(const LayerPlanesView& source, const LayerPlanes& destination, int size, int count,
                    FilterProgress& progress);

// 20 × height bubbles at random opaque pixels, each in its pixel's colour: size 0
// or 1 sets the pixel, larger sizes (at most 25) draw rings of radius 1 .. size - 1
// and shade the rim with the colour of the next row (y + 1).
bool Bubbles(const LayerPlanesView& source, const LayerPlanes& destination, int size, FilterProgress& progress);

}  // namespace quillory
