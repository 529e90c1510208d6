// The quad where the scene put it, with the picture's coordinates.
varying vec2 uv;

void main()
{
    uv = gl_MultiTexCoord0.xy;
    gl_Position = ftransform();
}
