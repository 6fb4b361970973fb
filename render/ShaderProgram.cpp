#include "render/ShaderProgram.h"

#include <new>

#include "platform/OpenGL.h"
#include "platform/Resources.h"

ShaderSource::ShaderSource(int id)
{
    platform::ResourceBytes bytes;
    if (!platform::FindResourceBytes("Shaders", id, &bytes) || bytes.data == nullptr)
        return;
    texts_ = new (std::nothrow) const char*[1];
    if (texts_ == nullptr)
        return;
    texts_[0] = reinterpret_cast<const char*>(bytes.data);
    length_ = static_cast<int>(bytes.size);
    count_ = 1;
}

ShaderSource::~ShaderSource() { delete[] texts_; }

namespace {

// 0 when the stage is skipped or failed; *failed tells which.
// lengths null: the texts end with a NUL.
GLuint CompileShader(GLenum stage, const char* const* texts, const int* lengths, bool* failed)
{
    const GLuint shader = glCreateShader(stage);
    if (shader == 0) {
        *failed = true;
        return 0;
    }
    glShaderSource(shader, 1, texts, lengths);
    glCompileShader(shader);
    GLint status = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status != GL_TRUE) {
        *failed = true;
        return 0;
    }
    return shader;
}

GLuint CompileResource(GLenum stage, int id, bool* failed)
{
    if (id == 0)
        return 0;
    ShaderSource source(id);
    if (!source.IsLoaded()) {
        *failed = true;
        return 0;
    }
    return CompileShader(stage, source.Texts(), source.Lengths(), failed);
}

GLuint CompileText(GLenum stage, const char* text, bool* failed)
{
    if (text == nullptr)
        return 0;
    const char* const texts[1] = {text};
    return CompileShader(stage, texts, nullptr, failed);
}

int LinkProgram(GLuint vertexShader, GLuint fragmentShader, unsigned int* program)
{
    const GLuint handle = glCreateProgram();
    if (handle == 0)
        return 1;
    if (vertexShader != 0)
        glAttachShader(handle, vertexShader);
    if (fragmentShader != 0)
        glAttachShader(handle, fragmentShader);
    glLinkProgram(handle);
    GLint status = 0;
    glGetProgramiv(handle, GL_LINK_STATUS, &status);
    if (status != GL_TRUE)
        return 1;
    *program = handle;
    return 0;
}

}  // namespace

int CreateShaderProgram(int vertexId, int fragmentId, unsigned int* program)
{
    bool failed = false;
    const GLuint vertexShader = CompileResource(GL_VERTEX_SHADER, vertexId, &failed);
    if (failed)
        return 1;
    const GLuint fragmentShader = CompileResource(GL_FRAGMENT_SHADER, fragmentId, &failed);
    if (failed)
        return 1;
    return LinkProgram(vertexShader, fragmentShader, program);
}

int CreateShaderProgramFromTexts(const char* vertexText, const char* fragmentText, unsigned int* program)
{
    bool failed = false;
    const GLuint vertexShader = CompileText(GL_VERTEX_SHADER, vertexText, &failed);
    if (failed)
        return 1;
    const GLuint fragmentShader = CompileText(GL_FRAGMENT_SHADER, fragmentText, &failed);
    if (failed)
        return 1;
    return LinkProgram(vertexShader, fragmentShader, program);
}

int FindOptionalAttribute(unsigned int program, const char* name)
{
    return glGetAttribLocation(program, name);
}

void SetAttributeBlock(int location, int components, std::size_t byteOffset)
{
    if (location < 0)
        return;
    glVertexAttribPointer(static_cast<GLuint>(location), components, GL_FLOAT, GL_FALSE, 0,
                          reinterpret_cast<const void*>(byteOffset));
}

void EnableAttribute(int location)
{
    if (location >= 0)
        glEnableVertexAttribArray(static_cast<GLuint>(location));
}

bool FindRibbonProgramLocations(unsigned int program, RibbonProgramLocations* locations)
{
    RibbonProgramLocations& l = *locations;
    l.ribbonVertexes = glGetUniformLocation(program, "uRibbonVertexes");
    l.ribbonMatrixes = glGetUniformLocation(program, "uRibbonMatrixes");
    l.ribbonLength = glGetUniformLocation(program, "uRibbonLength");
    l.gridPoint = glGetAttribLocation(program, "aGridPoint");
    l.normal = glGetAttribLocation(program, "aNormal");
    l.gridX = FindOptionalAttribute(program, "aGridX");
    l.gridY = FindOptionalAttribute(program, "aGridY");
    return l.ribbonVertexes != -1 && l.ribbonMatrixes != -1 && l.ribbonLength != -1 && l.gridPoint != -1 &&
           l.normal != -1;
}

void EnableRibbonAttributes(const RibbonProgramLocations& locations, const RibbonMeshOffsets& offsets)
{
    glVertexPointer(3, GL_FLOAT, 0, reinterpret_cast<const void*>(offsets.positions));
    SetAttributeBlock(locations.normal, 3, offsets.normal);
    SetAttributeBlock(locations.gridX, 3, offsets.gridX);
    SetAttributeBlock(locations.gridY, 3, offsets.gridY);
    SetAttributeBlock(locations.gridPoint, 2, offsets.gridPoint);
    glEnableClientState(GL_VERTEX_ARRAY);
    EnableAttribute(locations.normal);
    EnableAttribute(locations.gridX);
    EnableAttribute(locations.gridY);
    EnableAttribute(locations.gridPoint);
}
