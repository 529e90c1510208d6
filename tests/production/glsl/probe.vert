void main()
{
    gl_Position = gl_Vertex;
}
