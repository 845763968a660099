#pragma once
// What the list model needs of a cell's wait animation. The window code supplies the real one
// (a GIF that advances on its own thread); the model only renumbers and destroys it.

namespace tsu {

class CellAnimation {
public:
    virtual ~CellAnimation() = default;
    // The row number sent back with later redraw requests, after rows were renumbered.
    virtual void SetRow(int row) = 0;
    virtual void SetPause(bool pause) = 0;
};

} // namespace tsu
