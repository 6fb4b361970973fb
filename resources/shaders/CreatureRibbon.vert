// Placeholder until the real program is written.
void main()
{
    gl_Position = ftransform();
}
