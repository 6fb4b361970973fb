#include "render/Texture.h"

#include "platform/OpenGL.h"

unsigned int CreateTexture(int wrap, int magFilter, int minFilter)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    return name;
}

unsigned int CreateTexture(int wrap, int magFilter, int minFilter, const TextureImage& image)
{
    const unsigned int name = CreateTexture(wrap, magFilter, minFilter);
    glTexImage2D(GL_TEXTURE_2D, 0, image.internalFormat, image.size, image.size, 0, image.pixelFormat,
                 image.pixelType, image.pixels);
    return name;
}
