// The unit quad straight onto the window: no matrices to set up.
varying vec2 uv;

void main()
{
    uv = gl_MultiTexCoord0.xy;
    gl_Position = vec4(gl_Vertex.xy, 0.0, 1.0);
}
