// A test double of the OpenGL and GLU entry points that the renderer uses.
// Linked into a test program in place of the real libraries, it records
// every call with its arguments and the model-view matrix in force, so tests
// can check the call stream and where each vertex ends up in eye space.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using Matrix4 = std::array<double, 16>;  // column-major, as OpenGL keeps it

struct Vec3d {
  double x, y, z;
};

struct GlCall {
  std::string name;
  std::vector<double> args;
  Matrix4 modelview;                // the model-view matrix when the call was made
  std::vector<std::uint8_t> pixels; // the image passed to gluBuild2DMipmaps
};

// Every call since the last ResetGlRecorder, in order.
const std::vector<GlCall>& GlCalls();

// Forgets the calls and the observer and resets both matrix stacks to the
// identity.
void ResetGlRecorder();

// Calls `observer` with each call as it is recorded, so a test can look at
// the program's state at that moment.
void ObserveGlCalls(std::function<void(const GlCall&)> observer);

// Matrix helpers with OpenGL's conventions (each applies on the right).
Matrix4 IdentityMatrix();
Matrix4 Translated(const Matrix4& m, double x, double y, double z);
Matrix4 Rotated(const Matrix4& m, double degrees, double x, double y, double z);
Matrix4 Scaled(const Matrix4& m, double x, double y, double z);
Vec3d Transform(const Matrix4& m, Vec3d p);
