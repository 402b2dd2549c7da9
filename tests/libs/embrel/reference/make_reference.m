% Reference values for the resampling tests, computed with GNU Octave's interp1 and the
% smoothing spline csaps of the octave-splines package (Debian: octave, octave-splines).
% Reads inputs.txt and writes octave_reference.inc. Run in this folder:
%   octave --no-gui --quiet make_reference.m
pkg load splines
fin = fopen('inputs.txt', 'r');
fout = fopen('octave_reference.inc', 'w');
fprintf(fout, '// Written by make_reference.m (GNU Octave %s, octave-splines); do not edit.\n', version());
fprintf(fout, '// {name, step of the grid, x, y, grid points q, nearest, linear (extrap), spline, csaps, p of csaps}\n');
line = fgetl(fin);
while ischar(line)
  if isempty(line) || line(1) == '#'
    line = fgetl(fin);
    continue;
  end
  name = strtrim(line);
  x = str2num(fgetl(fin));
  y = str2num(fgetl(fin));
  grid = str2num(fgetl(fin));
  q = grid(1) + (0:grid(3) - 1) * grid(2);
  nearest = interp1(x, y, q, 'nearest', 'extrap');
  linear = interp1(x, y, q, 'linear', 'extrap');
  spl = interp1(x, y, q, 'spline', 'extrap');
  [smooth, p] = csaps(x, y, [], q);
  fprintf(fout, '{"%s",\n', name);
  fprintf(fout, ' %.17g,\n', grid(2));
  rows = {x, y, q, nearest, linear, spl, smooth};
  for k = 1:numel(rows)
    fprintf(fout, ' {');
    fprintf(fout, '%.17g, ', rows{k}(1:end-1));
    fprintf(fout, '%.17g},\n', rows{k}(end));
  end
  if isnan(p)  % two points: csaps gives their line and no weight
    fprintf(fout, ' NAN},\n');
  else
    fprintf(fout, ' %.17g},\n', p);
  end
  line = fgetl(fin);
end
fclose(fin);
fclose(fout);
