// engine/deep.h - the perturbation format, for zooms deeper than the exact formats reach.
//
// The picture's centre is the reference: its orbit is computed once per picture in
// fixed-point arithmetic of as many bits as the zoom needs (engine/deep_orbit.h), stored as
// doubles with an exponent of their own, and every pixel follows it as a small difference in
// hardware floats (engine/deep_kernel*.h), skipping runs of iterations by a table of merged
// linear steps (engine/deep_table.h).
//
// Pixel (col, row) of the picture lies at the centre plus ((col - W/2) * 2^-ZoomBits along the
// imaginary axis (zX, horizontal), (row - H/2) * 2^-ZoomBits along the real axis (zY,
// vertical)), W and H the picture's size, ZoomBits = 8 + ld_Zoom. Its count follows the exact
// kernels' rule: the orbit starts at z0 = c, and the count is Iteration - k for the first k
// with |z_k|^2 >= 4, else 0.
#pragma once
#include <cstdint>
#include <vector>

// One value of the reference orbit: ReM * 2^ReE + i ImM * 2^ImE, each mantissa 0 or of
// magnitude in [0.5, 1), rounded to nearest from the fixed-point value.
struct DeepOrbitPoint {
    double  ReM, ImM;
    int32_t ReE, ImE;
};

// The reference orbit of the current picture: Z_0 = 0, Z_1 = c, Z_(k+1) = Z_k^2 + c, with c
// the view's centre (real part Center_zY, imaginary part Center_zX, every bit of both).
struct DeepReferenceState {
    int32_t  ZoomBits;        // the pixel step is 2^-ZoomBits
    // The picture the geometry was set up for, whose centre the reference is: a poster's
    // pieces are computed with their own smaller size in Calc, but their pixels are offsets
    // from the whole picture's centre.
    int32_t  Width, Height;
    int32_t  Iteration;       // the limit the orbit was made for
    int32_t  Length;          // values stored, Z_0 .. Z_(Length-1); complete when Ready
    bool     Escaped;         // |Z_(Length-1)|^2 >= 4; otherwise Length = Iteration + 1
    bool     Ready;           // the orbit is complete
    uint64_t Generation;      // changes whenever the orbit is begun again
    std::vector<DeepOrbitPoint> Z;
};
extern DeepReferenceState DeepRef;

// After the geometry is set up for a ModePerturb picture: begins the reference orbit again
// when the centre, the zoom or the limit changed (a picture recoloured keeps it).
void DeepSetupGeometry();
// Main thread, before each tile of a ModePerturb picture: advances the reference orbit until
// it is complete, or in a live pass until the slice deadline. True when complete.
bool DeepAdvanceOrbit();
// Main thread, once the orbit is complete: builds the approximation table for it when it is
// not built yet (again under the slice deadline of a live pass). True when ready.
bool DeepPrepareTable();

// The strip kernels of the perturbation format, one per kernel path (engine/kernels.h).
void ComputeStripPerturbScalar(int t);
void ComputeStripPerturbAvx2(int t);
void ComputeStripPerturbAvx512(int t);
