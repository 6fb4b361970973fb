#pragma once

#include <cstddef>

// GLSL programs built from the "Shaders" resources of the executable.

// One shader text, pointing straight into the embedded resource (no copy) with its
// length: a resource need not end with a NUL. Count is 1 when the text was found and -1
// when it was not.
class ShaderSource {
public:
    explicit ShaderSource(int id);
    ~ShaderSource();
    ShaderSource(const ShaderSource&) = delete;
    ShaderSource& operator=(const ShaderSource&) = delete;

    bool IsLoaded() const { return count_ != -1; }
    const char* const* Texts() const { return texts_; }
    const int* Lengths() const { return &length_; }
    int Count() const { return count_; }

private:
    const char** texts_ = nullptr;
    int length_ = 0;
    int count_ = -1;
};

// Builds and links a program from a vertex and a fragment shader resource (an id of 0
// skips that stage). 0 on success with *program set; 1 on any failure with *program
// untouched. No message is written.
int CreateShaderProgram(int vertexId, int fragmentId, unsigned int* program);

// The same from texts in memory (null skips that stage).
int CreateShaderProgramFromTexts(const char* vertexText, const char* fragmentText, unsigned int* program);

// Location of an attribute that the linker may have dropped because the linked program
// never reads it (a fragment shader that ignores the varying fed from it). -1 then
// means "unused", not failure: callers test only the attributes their shaders need and
// pass the others to the two functions below, which skip -1.
int FindOptionalAttribute(unsigned int program, const char* name);

// glVertexAttribPointer for `components` floats, not normalised, stride 0, at byteOffset
// into the bound array buffer; nothing for location -1.
void SetAttributeBlock(int location, int components, std::size_t byteOffset);
// glEnableVertexAttribArray; nothing for location -1.
void EnableAttribute(int location);

// The inputs of a program built on the ribbon vertex shader, which bends a tube mesh
// along a ribbon. The grid rulers gridX and gridY may be -1 (see FindOptionalAttribute).
struct RibbonProgramLocations {
    int ribbonVertexes = -1;
    int ribbonMatrixes = -1;
    int ribbonLength = -1;
    int gridPoint = -1;
    int normal = -1;
    int gridX = -1;
    int gridY = -1;
};
// Looks them all up; false when one other than the rulers is missing.
bool FindRibbonProgramLocations(unsigned int program, RibbonProgramLocations* locations);

// Where a tube mesh's blocks of floats begin in its array buffer.
struct RibbonMeshOffsets {
    std::size_t positions = 0;
    std::size_t normal = 0;
    std::size_t gridX = 0;
    std::size_t gridY = 0;
    std::size_t gridPoint = 0;
};
// Points the vertex array and the four attributes into the bound array buffer and
// enables them.
void EnableRibbonAttributes(const RibbonProgramLocations& locations, const RibbonMeshOffsets& offsets);
