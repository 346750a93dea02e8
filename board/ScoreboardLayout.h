#pragma once

#include <QRect>
#include <QSize>

#include <array>

// Where the scoreboard puts what, for a screen of a given size: plain arithmetic, so what fits and
// how large it is can be checked without a screen.
//
// Legibility: a letter reads comfortably from a distance of about 250 times its height, so from 30 m
// it wants 12 cm. A picture beside a track (projector or LED wall) is about 3 m high, whatever its
// resolution: a capital needs 1/25 of the screen's shorter side, and the font's pixel size (a capital
// is about 0.7 of it) 1/17. Nothing on the board is smaller.
struct LaneLayout
{
    QRect area;
    QRect number; // the start number, a bib-like box
    QRect rider;
    QRect horse;
    std::array<QRect, 5> digits; // three of seconds, two of hundredths
    QRect comma;
    QRect place;        // "Platz 2" once the lane has its time
    int thickness = 0;  // of a digit's segment bar
    int separation = 0; // between a digit's segments
};

struct ScoreboardLayout
{
    int smallestPixels = 0; // the least legible font size: 1/17 of the shorter side
    QRect title;            // the list's name
    int titlePixels = 0;
    int lanes = 0;
    std::array<LaneLayout, 2> lane;
    int riderPixels = 0; // number, rider and place
    int horsePixels = 0;
    QRect ranking; // the rows, top to bottom
    int rowHeight = 0;
    int rows = 0; // the ranking rows that fit
    int rowPixels = 0;
};

// Two lanes side by side on a landscape screen, above each other on a portrait one; one lane across the
// width. The ranking takes what is left beneath, in whole rows.
ScoreboardLayout scoreboardLayout(QSize size, int lanes);
